#include "glx_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "glx_config.h"

namespace vessmark {

namespace {
// The two calls that pace the swaps.
using SwapIntervalExt = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);

// Framebuffer configurations and their windows need GLX 1.3.
constexpr int NeededGlxMajor = 1;
constexpr int NeededGlxMinor = 3;

std::string Hex(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

struct XFreer {
    void operator()(void* data) const { XFree(data); }
};

// GLX is there and new enough; otherwise why not.
bool CheckGlx(XConnection& connection, std::string& error)
{
    Display* display = connection.Get();
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) {
        error = "the X display '" + connection.Name() + "' has no OpenGL: its server lacks the GLX extension";
        return false;
    }
    int major = 0;
    int minor = 0;
    if (!glXQueryVersion(display, &major, &minor)
        || major < NeededGlxMajor || (major == NeededGlxMajor && minor < NeededGlxMinor)) {
        error = "the X display '" + connection.Name() + "' offers GLX " + std::to_string(major) + "."
                + std::to_string(minor) + "; the show needs 1.3";
        return false;
    }
    return true;
}

GlxConfigTraits TraitsOf(Display* display, GLXFBConfig config)
{
    const auto attribute = [&](int name) {
        int value = 0;
        glXGetFBConfigAttrib(display, config, name, &value);
        return value;
    };
    GlxConfigTraits traits;
    traits.VisualId = static_cast<unsigned long>(attribute(GLX_VISUAL_ID));
    traits.WindowDrawable = (attribute(GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0;
    traits.Rgba = (attribute(GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0;
    traits.DoubleBuffer = attribute(GLX_DOUBLEBUFFER) != 0;
    traits.BufferSize = attribute(GLX_BUFFER_SIZE);
    traits.DepthSize = attribute(GLX_DEPTH_SIZE);
    traits.Samples = attribute(GLX_SAMPLES);
    traits.Slow = attribute(GLX_CONFIG_CAVEAT) == GLX_SLOW_CONFIG;
    return traits;
}

// The first configuration GLX itself proposes for the request, among those
// that can draw into a window of `requiredVisual` if one is given.
std::optional<GLXFBConfig> AskGlx(Display* display, int screen, const int* request,
                                  std::optional<unsigned long> requiredVisual)
{
    int count = 0;
    std::unique_ptr<GLXFBConfig[], XFreer> configs(glXChooseFBConfig(display, screen, request, &count));
    for (int i = 0; configs && i < count; ++i) {
        const GlxConfigTraits traits = TraitsOf(display, configs[static_cast<std::size_t>(i)]);
        if (traits.VisualId != 0 && (!requiredVisual || traits.VisualId == *requiredVisual)) {
            return configs[static_cast<std::size_t>(i)];
        }
    }
    return std::nullopt;
}

// The configuration the show draws with: the best by the pixel-format score,
// or, when none qualifies, what GLX proposes for the same request as the
// Windows host's fallback descriptor (double-buffered RGBA with 24-bit colour
// and depth), and failing that any RGBA configuration for a window.
std::optional<GLXFBConfig> ChooseConfig(Display* display, int screen, std::optional<unsigned long> requiredVisual)
{
    int count = 0;
    std::unique_ptr<GLXFBConfig[], XFreer> configs(glXGetFBConfigs(display, screen, &count));
    std::vector<GlxConfigTraits> traits;
    for (int i = 0; configs && i < count; ++i) {
        traits.push_back(TraitsOf(display, configs[static_cast<std::size_t>(i)]));
    }
    if (const auto chosen = ChooseGlxConfig(traits, requiredVisual)) {
        return configs[*chosen];
    }
    const int fallback[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                            GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DOUBLEBUFFER, True,
                            GLX_BUFFER_SIZE, FallbackPixelFormat.ColorBits,
                            GLX_DEPTH_SIZE, FallbackPixelFormat.DepthBits, None};
    if (const auto config = AskGlx(display, screen, fallback, requiredVisual)) {
        return config;
    }
    const int anything[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                            GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
    return AskGlx(display, screen, anything, requiredVisual);
}

// A cursor with no visible pixel: the show hides the pointer over its window.
Cursor InvisibleCursor(Display* display, Window window)
{
    const char noBits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display, window, noBits, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

// What window managers and compositors read: the name, the class, that a
// close request is understood, and that this is a full-screen window above
// the others, best shown without compositing.
void DescribeOwnWindow(Display* display, Window window)
{
    XStoreName(display, window, OwnWindowName);
    XClassHint hint{};
    char resourceName[] = "vessmark-show";
    char resourceClass[] = "Vessmark";
    hint.res_name = resourceName;
    hint.res_class = resourceClass;
    XSetClassHint(display, window, &hint);

    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);

    const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False),
                           XInternAtom(display, "_NET_WM_STATE_ABOVE", False)};
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 2);
    const long bypass = 1;
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_BYPASS_COMPOSITOR", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&bypass), 1);
}
} // namespace

std::unique_ptr<GlxWindow> GlxWindow::CreateFullScreen(XConnection& connection, std::string& error)
{
    if (!CheckGlx(connection, error)) {
        return nullptr;
    }
    Display* display = connection.Get();
    const int screen = DefaultScreen(display);
    const auto config = ChooseConfig(display, screen, std::nullopt);
    if (!config) {
        error = "the X display '" + connection.Name() + "' has no OpenGL configuration that can draw into a window";
        return nullptr;
    }
    std::unique_ptr<XVisualInfo, XFreer> visual(glXGetVisualFromFBConfig(display, *config));
    if (!visual) {
        error = "the chosen OpenGL configuration has no X visual";
        return nullptr;
    }

    std::unique_ptr<GlxWindow> self(new GlxWindow(connection));
    self->own_ = true;
    self->width_ = DisplayWidth(display, screen);
    self->height_ = DisplayHeight(display, screen);
    const Window root = RootWindow(display, screen);
    self->colormap_ = XCreateColormap(display, root, visual->visual, AllocNone);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = 0; // black in every true-colour visual
    attributes.border_pixel = 0;
    attributes.colormap = self->colormap_;
    attributes.event_mask = OwnWindowEvents;
    self->window_ = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(self->width_),
                                  static_cast<unsigned>(self->height_), 0, visual->depth, InputOutput,
                                  visual->visual,
                                  CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWColormap | CWEventMask,
                                  &attributes);
    if (const std::string failed = connection.SyncAndTakeError(); !failed.empty() || self->window_ == 0) {
        error = "cannot create the show's window: " + failed;
        self->window_ = 0;
        return nullptr;
    }
    self->cursor_ = InvisibleCursor(display, self->window_);
    XDefineCursor(display, self->window_, self->cursor_);
    DescribeOwnWindow(display, self->window_);
    if (!self->CreateContext(*config, screen, error)) {
        return nullptr;
    }
    return self;
}

std::unique_ptr<GlxWindow> GlxWindow::Attach(XConnection& connection, Window window, std::string& error)
{
    if (!CheckGlx(connection, error)) {
        return nullptr;
    }
    Display* display = connection.Get();
    std::unique_ptr<GlxWindow> self(new GlxWindow(connection));
    self->window_ = window;

    XWindowAttributes attributes{};
    const Status known = XGetWindowAttributes(display, window, &attributes);
    const std::string failed = connection.SyncAndTakeError();
    if (known == 0 || !failed.empty()) {
        error = "there is no window " + Hex(window) + " on the X display '" + connection.Name() + "'";
        self->window_ = 0; // nothing of it is ours to touch
        return nullptr;
    }
    // Ask for its size and life before looking at them, so that no change
    // between the two goes unseen.
    XSelectInput(display, window, ForeignWindowEvents);
    XGetWindowAttributes(display, window, &attributes);
    self->width_ = attributes.width;
    self->height_ = attributes.height;
    self->viewable_ = attributes.map_state == IsViewable;

    const int screen = XScreenNumberOfScreen(attributes.screen);
    const unsigned long visualId = XVisualIDFromVisual(attributes.visual);
    const auto config = ChooseConfig(display, screen, visualId);
    if (!config) {
        error = "window " + Hex(window) + " has visual " + Hex(visualId)
                + ", for which OpenGL has no configuration (XScreenSaver's GL: entries give a suitable one)";
        return nullptr;
    }
    if (!self->CreateContext(*config, screen, error)) {
        return nullptr;
    }
    return self;
}

bool GlxWindow::CreateContext(GLXFBConfig config, int screen, std::string& error)
{
    Display* display = connection_.Get();
    context_ = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    std::string failed = connection_.SyncAndTakeError();
    if (context_ == nullptr) {
        error = "cannot create an OpenGL context on the X display '" + connection_.Name() + "'"
                + (failed.empty() ? std::string() : ": " + failed);
        return false;
    }
    const bool current = glXMakeCurrent(display, window_, context_) == True;
    failed = connection_.SyncAndTakeError();
    if (!current || !failed.empty()) {
        error = "cannot draw into window " + Hex(window_) + " with OpenGL"
                + (failed.empty() ? std::string() : ": " + failed);
        return false;
    }
    LimitToRefresh(screen);
    return true;
}

void GlxWindow::LimitToRefresh(int screen)
{
    Display* display = connection_.Get();
    const char* extensions = glXQueryExtensionsString(display, screen);
    swapControl_ = ChooseSwapControl(extensions != nullptr ? extensions : "");
    const GlFunctionLoader load = Loader();
    switch (swapControl_) {
    case SwapControlCall::GlxSwapIntervalExt:
        if (const auto set = reinterpret_cast<SwapIntervalExt>(load("glXSwapIntervalEXT"))) {
            set(display, window_, SwapIntervalRefreshes);
        }
        break;
    case SwapControlCall::GlxSwapIntervalMesa:
        if (const auto set = reinterpret_cast<SwapIntervalMesa>(load("glXSwapIntervalMESA"))) {
            set(SwapIntervalRefreshes);
        }
        break;
    case SwapControlCall::NotOffered:
    case SwapControlCall::WglSwapIntervalExt:
        break;
    }
    // A refusal only leaves the swaps unpaced.
    connection_.SyncAndTakeError();
}

GlFunctionLoader GlxWindow::Loader()
{
    return [](const char* name) {
        return reinterpret_cast<GlFunctionAddress>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
    };
}

void GlxWindow::SetSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void GlxWindow::Swap()
{
    glXSwapBuffers(connection_.Get(), window_);
}

void GlxWindow::Release()
{
    if (context_ == nullptr) {
        return;
    }
    Display* display = connection_.Get();
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context_);
    context_ = nullptr;
    // A window that went away under the context may leave an error behind;
    // it is of no consequence now.
    connection_.SyncAndTakeError();
}

GlxWindow::~GlxWindow()
{
    Release();
    Display* display = connection_.Get();
    if (own_ && window_ != 0 && !destroyed_) {
        XDestroyWindow(display, window_);
    }
    if (cursor_ != 0) {
        XFreeCursor(display, cursor_);
    }
    if (colormap_ != 0) {
        XFreeColormap(display, colormap_);
    }
    connection_.SyncAndTakeError();
}

} // namespace vessmark
