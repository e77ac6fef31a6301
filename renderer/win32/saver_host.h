#pragma once
// The renderer program's state: one window, its drawing context, the input
// rules and the scene. Owned by WinMain and reached from the window procedure.

#include <windows.h>

#include <string>
#include <vector>

#include "frame_gate.h"
#include "input_rules.h"
#include "monitor_layout.h"
#include "scene.h"

namespace vessmark {

inline constexpr char SaverClassName[] = "WindowsScreenSaverClass";
inline constexpr char SaverWindowText[] = "Screensaver";
inline constexpr char ShowCaption[] = "VessmarkVC";
inline constexpr int SaverIconId = 7002;
// The black windows on the other monitors have a class and caption of their
// own: other programs and the front end look for the show's window by the
// names above, and must find that one only.
inline constexpr char BlankClassName[] = "VessmarkBlankScreen";
inline constexpr char BlankWindowText[] = "VessmarkBlank";

// Exit codes of a show that could not start. A show that ran exits with 0.
inline constexpr int ExitClassNotRegistered = 1;
inline constexpr int ExitNoWindow = 2;
inline constexpr int ExitNoMemory = 3; // the object arrays could not be allocated

struct SaverHost {
    HINSTANCE Instance = nullptr;
    HWND Window = nullptr;
    HDC Dc = nullptr;
    HGLRC Rc = nullptr;
    int Running = 0; // the scene exists: frames may be drawn
    // The rendering context was made current. Without it (no usable OpenGL)
    // no GL call is made at all: the window shows its black background only.
    bool ContextCurrent = false;
    bool OutOfMemory = false; // the scene could not be built: creation was refused
    InputRules Input; // one set of rules for the show's window and the black ones
    ULONGLONG ShownAt = 0;          // when the window appeared (GetTickCount64)
    std::string ActivatedElsewhere; // what took the activation, when that ends the show
    Scene Scene;
    std::vector<HWND> BlankWindows; // the black windows on the other monitors
};

// The host a window of the show was made with (CreateWindowEx's last
// argument), kept in the window from WM_NCCREATE on; null before it.
inline SaverHost* BindHost(HWND window, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<SaverHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int RunSaverWindow(SaverHost& host);

// Before the input rules see a message: the time since the window appeared,
// and, when the activation goes elsewhere, where it went.
void StampInput(SaverHost& host, UINT message, WPARAM wParam, LPARAM lParam);
// Writes the line that says why the show ends (honoured) or that a close
// request was ignored, to the debug output.
void ReportClose(const SaverHost& host, bool honoured);

// The cursor's position on the screen now.
CursorPoint ReadCursor();

// The monitors as the system lists them: the seam between the system and the
// choice of what to black out.
std::vector<MonitorArea> ListMonitors();

// Covers every monitor but the primary one with a black topmost window, before
// the show's window is made (so that the show's window comes up in front of
// them). Input on them goes through the show's input rules and ends the show
// through the show's own window. A black window that cannot be made is left
// out: the show runs all the same.
void OpenBlankScreens(SaverHost& host, const ScreenRect& showWindow);
// Closes them; the show's window does so as it is destroyed.
void CloseBlankScreens(SaverHost& host);

// Nonzero when the show may end: asks for the screen-saver password on the
// systems that have one.
int VerifyPassword(SaverHost& host, HWND window);

// False when the scene's objects could not be allocated; the window must not
// be created then. A context that cannot be set up is not a failure: the show
// goes on in black and ends on input as usual.
bool InitScene(SaverHost& host, HWND window);
// Chooses and sets the device context's pixel format; false when none could be set.
bool SelectPixelFormat(HDC dc);
void FreeScene(SaverHost& host, HWND window);
// Draws a frame when the show is running, the password dialog is not up and
// there is a context to draw with; says what the message loop should do next.
IdleStep IdleFrame(SaverHost& host);
// Draws one frame and presents it.
void RenderFrame(SaverHost& host);

} // namespace vessmark
