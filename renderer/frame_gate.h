#pragma once
// What the message loop does while no message waits. Frames need a current
// OpenGL context; without one (no usable OpenGL on this machine) the window
// only shows its black background, and the loop sleeps until a message comes
// instead of spinning: nothing to draw must cost nothing.

namespace vessmark {

enum class IdleStep {
    DrawFrame,      // draw and present a frame, then give up the time slice
    Yield,          // no frame now (the scene is not running, or the password dialog is up)
    WaitForMessage, // nothing will ever be drawn: block until a message arrives
};

struct FrameGate {
    bool ContextCurrent = false;  // the rendering context was created and made current
    int Running = 0;              // the scene exists
    int PasswordDialogActive = 0; // the password dialog is up
};

IdleStep NextIdleStep(const FrameGate& gate);

} // namespace vessmark
