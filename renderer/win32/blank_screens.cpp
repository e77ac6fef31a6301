// Black windows on every monitor but the primary one, for as long as the show
// runs: whatever is open there must not stay on view while the user is away.
// They draw nothing but their black background, hide the cursor, and hand all
// input to the show's own input rules, so that one first move and one
// reference position hold across every screen. The show's window alone ends
// the show (and asks for the password where there is one): an input here that
// would end it posts the close to that window. They are made before the
// show's window, which then comes up in front of them where a monitor overlaps
// the primary one; input that reaches them before it exists ends nothing.

#include "saver_host.h"

namespace vessmark {

namespace {

constexpr DWORD BlankStyle = WS_POPUP | WS_CLIPSIBLINGS;
constexpr DWORD BlankExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW; // not a program to switch to

void CloseShow(const SaverHost& host)
{
    if (host.Window != nullptr) {
        PostMessageA(host.Window, WM_CLOSE, 0, 0);
    }
}

LRESULT CALLBACK BlankWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverHost* host = BindHost(window, message, lParam);
    if (host == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_SYSCOMMAND && SwallowsSysCommand(wParam)) {
        return 0;
    }
    StampInput(*host, message, wParam, lParam);
    const InputAction action = host->Input.HandleOnBlankScreen(message, wParam, ReadCursor);
    if (action.HideCursor) {
        SetCursor(nullptr);
    }
    if (action.PostClose) {
        CloseShow(*host);
    }
    switch (action.Reply) {
    case InputReply::ReturnZero:
        return 0;
    case InputReply::ReturnTrue:
        return TRUE;
    case InputReply::AskPassword:
        // An armed close that reached a black window: the show's window decides.
        CloseShow(*host);
        return 0;
    case InputReply::PassOn:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterBlankClass(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = BlankWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = BlankClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

std::vector<MonitorArea> ListMonitors()
{
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM list) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoA(monitor, &info)) {
                const RECT& r = info.rcMonitor;
                reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(
                    {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void OpenBlankScreens(SaverHost& host, const ScreenRect& showWindow)
{
    const std::vector<ScreenRect> areas = BlankedMonitorAreas(ListMonitors(), showWindow);
    if (areas.empty() || !RegisterBlankClass(host.Instance)) {
        return;
    }
    for (const ScreenRect& area : areas) {
        HWND blank = CreateWindowExA(BlankExStyle, BlankClassName, BlankWindowText, BlankStyle, area.Left, area.Top,
                                     area.Right - area.Left, area.Bottom - area.Top, nullptr, nullptr, host.Instance,
                                     &host);
        if (blank == nullptr) {
            continue;
        }
        host.BlankWindows.push_back(blank);
        ShowWindow(blank, SW_SHOWNOACTIVATE);
    }
}

void CloseBlankScreens(SaverHost& host)
{
    for (HWND blank : host.BlankWindows) {
        DestroyWindow(blank);
    }
    host.BlankWindows.clear();
}

} // namespace vessmark
