#pragma once
// The window the show draws into on X, with its OpenGL context: either the
// show's own window over the whole screen, or a window another program owns
// (XScreenSaver's, the root window, one a test made). The context is current
// from creation until Release or destruction.

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <memory>
#include <string>

#include "gl_loader.h"
#include "swap_control.h"
#include "x_connection.h"

namespace vessmark {

// The show's own window asks for these events: the input rules' and its own
// life. Another program's window is only watched for its size and its life.
inline constexpr long OwnWindowEvents =
    KeyPressMask | ButtonPressMask | PointerMotionMask | FocusChangeMask | StructureNotifyMask;
inline constexpr long ForeignWindowEvents = StructureNotifyMask;

// The name of the show's own window, for window lists and for finding it.
inline constexpr const char* OwnWindowName = "Vessmark";

class GlxWindow {
public:
    // A window of the show's own over the default screen: at 0,0 as large as
    // the screen, override-redirect so that no window manager frames or
    // moves it, with an invisible cursor. Not mapped yet (the show maps it
    // raised).
    static std::unique_ptr<GlxWindow> CreateFullScreen(XConnection& connection, std::string& error);

    // Another program's window. It keeps its visual; the configuration is
    // chosen among those of that visual.
    static std::unique_ptr<GlxWindow> Attach(XConnection& connection, Window window, std::string& error);

    GlxWindow(const GlxWindow&) = delete;
    GlxWindow& operator=(const GlxWindow&) = delete;
    ~GlxWindow(); // Release, then the own window and what belongs to it

    Window Id() const { return window_; }
    bool Own() const { return own_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Viewable() const { return viewable_; }

    // What the window's events say about it.
    void SetSize(int width, int height);
    void SetViewable(bool viewable) { viewable_ = viewable; }
    void MarkDestroyed() { destroyed_ = true; } // its events said so: it must not be touched any more

    // Shows the drawn frame; where the display allows, not before its next
    // refresh (see swap_control.h).
    void Swap();

    // How the swaps are paced: the call that asked for one frame per refresh.
    SwapControlCall SwapControl() const { return swapControl_; }

    // The lookup of OpenGL functions for GLX contexts.
    static GlFunctionLoader Loader();

    // Makes no context current and destroys the context.
    void Release();

private:
    explicit GlxWindow(XConnection& connection) : connection_(connection) {}
    bool CreateContext(GLXFBConfig config, int screen, std::string& error);
    void LimitToRefresh(int screen);

    XConnection& connection_;
    Window window_ = 0;
    bool own_ = false;
    bool destroyed_ = false;
    bool viewable_ = false;
    int width_ = 0;
    int height_ = 0;
    Colormap colormap_ = 0;
    Cursor cursor_ = 0;
    GLXContext context_ = nullptr;
    SwapControlCall swapControl_ = SwapControlCall::NotOffered;
};

} // namespace vessmark
