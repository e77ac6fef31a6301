#pragma once
// The renderer program's state: one window, its drawing context, the input
// rules and the scene. Owned by WinMain and reached from the window procedure.

#include <windows.h>

#include "frame_gate.h"
#include "input_rules.h"
#include "scene.h"

namespace vessmark {

inline constexpr char SaverClassName[] = "WindowsScreenSaverClass";
inline constexpr char SaverWindowText[] = "Screensaver";
inline constexpr char ShowCaption[] = "VessmarkVC";
inline constexpr int SaverIconId = 7002;

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
    InputRules Input;
    Scene Scene;
};

int RunSaverWindow(SaverHost& host);

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
