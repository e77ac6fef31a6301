// The show's window: its class, the single-instance rule, the message loop that
// draws whenever the queue is empty, and the window procedure in three layers.

#include "saver_host.h"

#include "gl_setup.h"

namespace vessmark {

namespace {

constexpr DWORD SaverStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD SaverExStyle = WS_EX_TOPMOST;
constexpr UINT SaverClassStyle = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;

// Inner layer: the input rules decide, this performs their answer.
LRESULT InputWindowProc(SaverHost& host, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    StampInput(host, message, wParam, lParam);
    const InputAction action = host.Input.Handle(message, wParam, ReadCursor);
    if (action.HideCursor) {
        SetCursor(nullptr);
    }
    if (action.PostClose) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    switch (action.Reply) {
    case InputReply::ReturnZero:
        if (message == WM_CLOSE) {
            ReportClose(host, false);
        }
        return 0;
    case InputReply::ReturnTrue:
        return TRUE;
    case InputReply::AskPassword:
        if (VerifyPassword(host, window) == 0) {
            host.Input.PasswordRefused(ReadCursor());
            return 0;
        }
        ReportClose(host, true);
        break;
    case InputReply::PassOn:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ApplyThreadPriority(int priorityLevel)
{
    if (const auto priority = ThreadPriorityFor(priorityLevel)) {
        SetThreadPriority(GetCurrentThread(), *priority);
    }
}

// Middle layer: the scene's life follows the window's.
LRESULT SceneWindowProc(SaverHost& host, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        ApplyDefaultSettings(host.Scene.Settings);
        SetWindowTextA(window, ShowCaption);
        ApplyThreadPriority(host.Scene.Settings.PriorityLevel);
        if (!InitScene(host, window)) {
            // No objects to draw: refuse the window, and the show ends.
            host.OutOfMemory = true;
            return -1;
        }
        host.Running = 1;
        break;
    case WM_SIZE:
        // A window created without a size gets its scene sized when it has one.
        // (Its objects were born in a box of no size, at the centre.)
        if (host.Running && host.ContextCurrent && !host.Scene.Sized) {
            SizeScene(host.Scene, LOWORD(lParam), HIWORD(lParam));
        }
        break;
    case WM_DESTROY:
        host.Running = 0;
        FreeScene(host, window);
        break;
    default:
        break;
    }
    return InputWindowProc(host, window, message, wParam, lParam);
}

// Outer layer, the class's window procedure.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SaverHost* host = BindHost(window, message, lParam);
    if (host == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        host->Window = window;
        host->ShownAt = GetTickCount64();
        host->Input.Start(ReadCursor());
        SetCursor(nullptr);
        break;
    case WM_DESTROY:
        CloseBlankScreens(*host);
        PostQuitMessage(0);
        break;
    case WM_SYSCOMMAND:
        if (SwallowsSysCommand(wParam)) {
            return 0;
        }
        break;
    default:
        break;
    }
    return SceneWindowProc(*host, window, message, wParam, lParam);
}

} // namespace

CursorPoint ReadCursor()
{
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

int RunSaverWindow(SaverHost& host)
{
    WNDCLASSA windowClass{};
    windowClass.style = SaverClassStyle;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = host.Instance;
    windowClass.hIcon = LoadIconA(host.Instance, MAKEINTRESOURCEA(SaverIconId));
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = SaverClassName;

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);

    // Another screen saver's window is up: let it have the screen.
    HWND other = FindWindowA(SaverClassName, SaverWindowText);
    if (other != nullptr && IsWindow(other)) {
        SetForegroundWindow(other);
        return 0;
    }

    if (RegisterClassA(&windowClass) == 0) {
        return ExitClassNotRegistered;
    }
    // The other monitors go black first. No input reaches them before the
    // show's window has taken the reference position (at its WM_CREATE):
    // input is only read in the message loop below.
    OpenBlankScreens(host, {0, 0, width, height});
    // The scene is built inside this call, while the window is being created.
    HWND window = CreateWindowExA(SaverExStyle, SaverClassName, SaverWindowText, SaverStyle, 0, 0,
                                  width, height, nullptr, nullptr, host.Instance, &host);
    if (window == nullptr) {
        CloseBlankScreens(host);
        return host.OutOfMemory ? ExitNoMemory : ExitNoWindow;
    }
    SetForegroundWindow(window);

    // Draw back to back whenever no message waits; Sleep(0) lets other
    // threads of equal priority have the rest of the time slice. With no
    // context to draw with, sleep until a message comes instead of spinning.
    MSG message{};
    for (;;) {
        while (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (IdleFrame(host) == IdleStep::WaitForMessage) {
                MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            } else {
                Sleep(0);
            }
        }
        if (GetMessageA(&message, nullptr, 0, 0) == 0) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace vessmark
