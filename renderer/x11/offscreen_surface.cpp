#include "offscreen_surface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

#include "extension_list.h"
#include "gl_api.h"
#include "show_scene.h"

namespace vessmark {

namespace {
std::string EglError(const std::string& what)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return what + " failed (EGL error " + code + ")";
}

} // namespace

std::unique_ptr<OffscreenSurface> OffscreenSurface::Create(int width, int height, std::string& error)
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (clientExtensions == nullptr || !HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        error = "this EGL has no surfaceless platform (EGL_MESA_platform_surfaceless); is Mesa installed?";
        return nullptr;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        error = "eglGetPlatformDisplayEXT is missing";
        return nullptr;
    }
    std::unique_ptr<OffscreenSurface> self(new OffscreenSurface);
    self->width_ = width;
    self->height_ = height;

    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) == EGL_FALSE) {
        error = EglError("opening the surfaceless EGL display");
        return nullptr;
    }
    self->display_ = display;
    if (eglBindAPI(EGL_OPENGL_API) == EGL_FALSE) {
        error = EglError("choosing desktop OpenGL");
        return nullptr;
    }
    // The fixed-function pipeline of OpenGL 1.1 needs a compatibility context,
    // which is what a desktop OpenGL context without attributes is.
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                       EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (eglChooseConfig(display, configAttributes, &config, 1, &count) == EGL_FALSE || count < 1) {
        error = EglError("finding an RGB pbuffer configuration with a depth buffer");
        return nullptr;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (surface == EGL_NO_SURFACE) {
        error = EglError("creating a " + std::to_string(width) + "x" + std::to_string(height) + " pbuffer");
        return nullptr;
    }
    self->surface_ = surface;
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    if (context == EGL_NO_CONTEXT) {
        error = EglError("creating the OpenGL context");
        return nullptr;
    }
    self->context_ = context;
    if (eglMakeCurrent(display, surface, surface, context) == EGL_FALSE) {
        error = EglError("making the context current");
        return nullptr;
    }
    return self;
}

OffscreenSurface::~OffscreenSurface()
{
    if (display_ == nullptr) {
        return;
    }
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != nullptr) {
        eglDestroyContext(display_, context_);
    }
    if (surface_ != nullptr) {
        eglDestroySurface(display_, surface_);
    }
    eglTerminate(display_);
    eglReleaseThread();
}

RgbImage OffscreenSurface::ReadPicture() const
{
    return ReadCurrentPicture(width_, height_);
}

GlFunctionLoader OffscreenSurface::Loader()
{
    return [](const char* name) { return reinterpret_cast<GlFunctionAddress>(eglGetProcAddress(name)); };
}

} // namespace vessmark
