#include "gl_probe.h"

#include <string>
#include <vector>

#include "saver_host.h"

namespace vessmark {

namespace {
constexpr wchar_t ProbeClassName[] = L"VessmarkOpenGlProbe";
constexpr int ProbeUsable = 0;
constexpr int ProbeUnusable = 1;

std::wstring OwnPath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            return std::wstring(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}
} // namespace

bool IsOpenGlProbe()
{
    return GetEnvironmentVariableW(OpenGlProbeVariable, nullptr, 0) != 0;
}

int RunOpenGlProbe(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ProbeClassName;
    if (RegisterClassW(&windowClass) == 0) {
        return ProbeUnusable;
    }
    // Never shown: only its device context is wanted.
    HWND window = CreateWindowExW(0, ProbeClassName, L"", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, instance,
                                  nullptr);
    if (window == nullptr) {
        return ProbeUnusable;
    }
    HDC dc = GetDC(window);
    bool usable = false;
    if (dc != nullptr && SelectPixelFormat(dc)) {
        if (HGLRC rc = wglCreateContext(dc)) {
            usable = wglMakeCurrent(dc, rc) != FALSE;
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(rc);
        }
    }
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return usable ? ProbeUsable : ProbeUnusable;
}

bool OpenGlUsable()
{
    const std::wstring path = OwnPath();
    if (path.empty()) {
        return true;
    }
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // The copy inherits this process's environment with the marker added.
    SetEnvironmentVariableW(OpenGlProbeVariable, L"1");
    const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &startup, &info);
    SetEnvironmentVariableW(OpenGlProbeVariable, nullptr);
    if (!started) {
        return true;
    }
    CloseHandle(info.hThread);
    DWORD exitCode = ProbeUnusable;
    if (WaitForSingleObject(info.hProcess, OpenGlProbeTimeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &exitCode);
    } else {
        TerminateProcess(info.hProcess, ProbeUnusable);
    }
    CloseHandle(info.hProcess);
    return exitCode == ProbeUsable;
}

} // namespace vessmark
