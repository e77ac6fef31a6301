// The window's OpenGL surface: pixel format, rendering context, and the frame
// presented with a buffer swap.

#include "saver_host.h"

#include <mmsystem.h>

#include <ctime>

#include "frame_renderer.h"
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

void SelectPixelFormat(HDC dc)
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
        SetPixelFormat(dc, chosen, &pfd);
        return;
    }
    PIXELFORMATDESCRIPTOR fallback{};
    fallback.nSize = PixelFormatDescriptorSize;
    fallback.nVersion = 1;
    fallback.dwFlags = FallbackPixelFormat.Flags;
    fallback.iPixelType = FallbackPixelFormat.PixelType;
    fallback.cColorBits = FallbackPixelFormat.ColorBits;
    fallback.cDepthBits = FallbackPixelFormat.DepthBits;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &fallback), &fallback);
}

bool InitScene(SaverHost& host, HWND window)
{
    SeedScene(host.Scene, static_cast<std::uint32_t>(std::time(nullptr)));
    host.Scene.Clock = [] { return static_cast<std::uint32_t>(timeGetTime()); };
    host.Dc = GetDC(window);
    SelectPixelFormat(host.Dc);
    host.Rc = wglCreateContext(host.Dc);
    RECT client{};
    GetClientRect(window, &client);
    wglMakeCurrent(host.Dc, host.Rc);
    return BuildScene(host.Scene, client.right - client.left, client.bottom - client.top);
}

void FreeScene(SaverHost& host, HWND window)
{
    FreeSceneObjects(host.Scene);
    ReleaseDC(window, host.Dc);
    host.Dc = nullptr;
    wglMakeCurrent(nullptr, nullptr);
    // The sphere list goes with the context.
    wglDeleteContext(host.Rc);
    host.Rc = nullptr;
}

void IdleFrame(SaverHost& host)
{
    if (host.Running == 1 && host.Input.PasswordDialogActive == 0) {
        RenderFrame(host);
    }
}

void RenderFrame(SaverHost& host)
{
    DrawFrame(host.Scene);
    glFlush();
    wglSwapLayerBuffers(host.Dc, WGL_SWAP_MAIN_PLANE);
}

} // namespace vessmark
