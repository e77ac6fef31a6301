// The window's OpenGL surface: pixel format, rendering context, and the frame
// presented with a buffer swap.

#include "saver_host.h"

#include <mmsystem.h>

#include <ctime>

#include "frame_renderer.h"
#include "gl_probe.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "pixel_format.h"

namespace vessmark {

namespace {
constexpr UINT PixelFormatDescriptorSize = 40;

PixelFormatTraits TraitsOf(const PIXELFORMATDESCRIPTOR& pfd)
{
    return {pfd.dwFlags, pfd.iPixelType, pfd.cColorBits, pfd.cDepthBits};
}
} // namespace

bool SelectPixelFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR pfd{};
    const int chosen = ChooseBestPixelFormat([&](int index) -> std::optional<PixelFormatTraits> {
        if (DescribePixelFormat(dc, index, PixelFormatDescriptorSize, &pfd) == 0) {
            return std::nullopt;
        }
        return TraitsOf(pfd);
    });
    if (chosen != 0) {
        DescribePixelFormat(dc, chosen, PixelFormatDescriptorSize, &pfd);
        return SetPixelFormat(dc, chosen, &pfd) != FALSE;
    }
    PIXELFORMATDESCRIPTOR fallback{};
    fallback.nSize = PixelFormatDescriptorSize;
    fallback.nVersion = 1;
    fallback.dwFlags = FallbackPixelFormat.Flags;
    fallback.iPixelType = FallbackPixelFormat.PixelType;
    fallback.cColorBits = FallbackPixelFormat.ColorBits;
    fallback.cDepthBits = FallbackPixelFormat.DepthBits;
    const int format = ChoosePixelFormat(dc, &fallback);
    return format != 0 && SetPixelFormat(dc, format, &fallback) != FALSE;
}

bool InitScene(SaverHost& host, HWND window)
{
    SeedScene(host.Scene, static_cast<std::uint32_t>(std::time(nullptr)));
    host.Scene.Clock = [] { return static_cast<std::uint32_t>(timeGetTime()); };
    host.Dc = GetDC(window);
    // Where OpenGL cannot be set up, no WGL call is made at all (see
    // OpenGlUsable), and without a pixel format no context is asked for.
    if (OpenGlUsable() && SelectPixelFormat(host.Dc)) {
        host.Rc = wglCreateContext(host.Dc);
    }
    RECT client{};
    GetClientRect(window, &client);
    host.ContextCurrent = host.Rc != nullptr && wglMakeCurrent(host.Dc, host.Rc) != FALSE;
    if (!host.ContextCurrent) {
        return true; // no OpenGL here: a black window that still ends on input
    }
    return BuildScene(host.Scene, client.right - client.left, client.bottom - client.top);
}

void FreeScene(SaverHost& host, HWND window)
{
    FreeSceneObjects(host.Scene);
    ReleaseDC(window, host.Dc);
    host.Dc = nullptr;
    if (host.ContextCurrent) {
        wglMakeCurrent(nullptr, nullptr);
        host.ContextCurrent = false;
    }
    if (host.Rc != nullptr) {
        // The sphere list goes with the context.
        wglDeleteContext(host.Rc);
        host.Rc = nullptr;
    }
}

IdleStep IdleFrame(SaverHost& host)
{
    const IdleStep step = NextIdleStep({host.ContextCurrent, host.Running, host.Input.PasswordDialogActive});
    if (step == IdleStep::DrawFrame) {
        RenderFrame(host);
    }
    return step;
}

void RenderFrame(SaverHost& host)
{
    DrawFrame(host.Scene);
    glFlush();
    wglSwapLayerBuffers(host.Dc, WGL_SWAP_MAIN_PLANE);
}

} // namespace vessmark
