// The window's OpenGL surface: pixel format, rendering context, and the frame
// presented with a buffer swap, paced by the display where the driver allows.

#include "saver_host.h"

#include <mmsystem.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "draw_path.h"
#include "frame_renderer.h"
#include "frame_report.h"
#include "gl_probe.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "pixel_format.h"
#include "swap_control.h"

namespace vessmark {

namespace {
constexpr UINT PixelFormatDescriptorSize = 40;

// Names a file to which the show writes, as it ends, how many frames it drew
// in how many seconds (the same line as vessmark-show's summary): the way to
// measure the frame rate of the real program, under Wine too.
constexpr wchar_t FrameReportVariable[] = L"VESSMARK_FRAME_REPORT";

// Newer OpenGL functions for the current context. Some drivers answer a
// small number instead of null for a function they do not have.
GlFunctionAddress LoadWglFunction(const char* name)
{
    const auto address = reinterpret_cast<GlFunctionAddress>(wglGetProcAddress(name));
    const auto value = reinterpret_cast<std::intptr_t>(address);
    if (value >= -1 && value <= 3) {
        return nullptr;
    }
    return address;
}

// The way of drawing asked for in the environment; anything but "fixed"
// leaves the choice to the driver (a show has nowhere to complain).
DrawPathRequest RequestedDrawPath()
{
    char value[16] = {};
    const DWORD length = GetEnvironmentVariableA(DrawPathVariable, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return DrawPathRequest::Auto;
    }
    return ParseDrawPathRequest(value).value_or(DrawPathRequest::Auto);
}

// The window system's extensions for this device context.
std::string WglExtensions(HDC dc)
{
    using ExtensionsArb = const char*(WINAPI*)(HDC);
    using ExtensionsExt = const char*(WINAPI*)();
    if (const auto arb = reinterpret_cast<ExtensionsArb>(LoadWglFunction("wglGetExtensionsStringARB"))) {
        if (const char* list = arb(dc)) {
            return list;
        }
    }
    if (const auto ext = reinterpret_cast<ExtensionsExt>(LoadWglFunction("wglGetExtensionsStringEXT"))) {
        if (const char* list = ext()) {
            return list;
        }
    }
    return {};
}

// One frame per display refresh, where the driver lets the swap wait for it.
void LimitToRefresh(HDC dc)
{
    if (ChooseSwapControl(WglExtensions(dc)) != SwapControlCall::WglSwapIntervalExt) {
        return;
    }
    using SwapInterval = BOOL(WINAPI*)(int);
    if (const auto set = reinterpret_cast<SwapInterval>(LoadWglFunction("wglSwapIntervalEXT"))) {
        set(SwapIntervalRefreshes);
    }
}

// Writes the frame report, if one is asked for; needs the context current
// when there is one.
void WriteFrameReport(const SaverHost& host, HWND window)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(FrameReportVariable, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(length);
    }
    const Scene& scene = host.Scene;
    const double seconds =
        scene.FramesDrawn > 0 ? static_cast<std::uint32_t>(timeGetTime() - scene.FirstFrameTime) * 0.001 : 0.0;
    const std::string renderer = host.ContextCurrent ? CurrentRendererName() : "no OpenGL";
    RECT client{};
    GetClientRect(window, &client);
    const std::string line = FrameRateSummary(scene.FramesDrawn, client.right - client.left,
                                              client.bottom - client.top, seconds,
                                              renderer + ", " + DrawPathName(scene.Path) + " path");
    if (FILE* file = _wfopen(path.c_str(), L"w")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

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
    LimitToRefresh(host.Dc);
    return BuildScene(host.Scene, client.right - client.left, client.bottom - client.top, LoadWglFunction,
                      RequestedDrawPath());
}

void FreeScene(SaverHost& host, HWND window)
{
    WriteFrameReport(host, window);
    FreeSceneObjects(host.Scene);
    host.Scene.Spheres.reset();
    ReleaseDC(window, host.Dc);
    host.Dc = nullptr;
    if (host.ContextCurrent) {
        wglMakeCurrent(nullptr, nullptr);
        host.ContextCurrent = false;
    }
    if (host.Rc != nullptr) {
        // The sphere's display list or buffers go with the context.
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
    // The swap sends the frame on: no flush of its own.
    wglSwapLayerBuffers(host.Dc, WGL_SWAP_MAIN_PLANE);
}

} // namespace vessmark
