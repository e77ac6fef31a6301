#pragma once
// The renderer program's state: one window, its drawing context, the input
// rules and the scene. Owned by WinMain and reached from the window procedure.

#include <windows.h>

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

struct SaverHost {
    HINSTANCE Instance = nullptr;
    HWND Window = nullptr;
    HDC Dc = nullptr;
    HGLRC Rc = nullptr;
    int Running = 0; // the scene exists: frames may be drawn
    InputRules Input;
    Scene Scene;
};

int RunSaverWindow(SaverHost& host);

// Nonzero when the show may end: asks for the screen-saver password on the
// systems that have one.
int VerifyPassword(SaverHost& host, HWND window);

void InitScene(SaverHost& host, HWND window);
void SelectPixelFormat(HDC dc);
void FreeScene(SaverHost& host, HWND window);
void IdleFrame(SaverHost& host);

} // namespace vessmark
