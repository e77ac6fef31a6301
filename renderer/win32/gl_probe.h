#pragma once
// Whether OpenGL can be set up here, asked of a short-lived copy of the
// program before the show touches OpenGL itself. Under Wine, a machine whose
// OpenGL cannot be loaded leaves the process's X connection broken once any
// WGL call has tried (the driver library is unloaded while the display still
// holds its callbacks): the window is then never shown and input never
// arrives. A copy that breaks harms nothing; the show then stays black.

#include <windows.h>

namespace vessmark {

// Set in the environment of the copy that only tries OpenGL.
inline constexpr wchar_t OpenGlProbeVariable[] = L"VESSMARK_OPENGL_PROBE";
// A copy that has not answered by then counts as a no.
inline constexpr DWORD OpenGlProbeTimeoutMs = 10000;

// This process is the copy that only tries OpenGL.
bool IsOpenGlProbe();

// In the copy: a hidden window gets the show's pixel format and a rendering
// context made current. Exit code 0 when all of it worked, 1 otherwise.
int RunOpenGlProbe(HINSTANCE instance);

// Starts the copy and waits for its answer. When no copy can be started, the
// answer is yes: the show then tries OpenGL itself, as it always could.
bool OpenGlUsable();

} // namespace vessmark
