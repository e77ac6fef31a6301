#include "frame_gate.h"

namespace vessmark {

IdleStep NextIdleStep(const FrameGate& gate)
{
    if (!gate.ContextCurrent) {
        return IdleStep::WaitForMessage;
    }
    if (gate.Running != 1 || gate.PasswordDialogActive != 0) {
        return IdleStep::Yield;
    }
    return IdleStep::DrawFrame;
}

} // namespace vessmark
