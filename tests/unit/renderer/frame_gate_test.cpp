#include "frame_gate.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

struct GateCase {
    bool contextCurrent;
    int running;
    int passwordDialogActive;
    IdleStep expected;
};

// A frame is drawn only with a context, a running scene and no password
// dialog; without a context the loop must block rather than spin, whatever
// else holds.
TEST(FrameGateTest, DrawsOnlyWithContextRunningSceneAndNoPasswordDialog)
{
    const GateCase cases[] = {
        {true, 1, 0, IdleStep::DrawFrame},
        {true, 0, 0, IdleStep::Yield},          // before creation ends, after destruction starts
        {true, 1, 1, IdleStep::Yield},          // the picture stands still behind the password dialog
        {true, 0, 1, IdleStep::Yield},
        {false, 1, 0, IdleStep::WaitForMessage}, // no usable OpenGL
        {false, 0, 0, IdleStep::WaitForMessage},
        {false, 1, 1, IdleStep::WaitForMessage},
    };
    for (const GateCase& c : cases) {
        EXPECT_EQ(NextIdleStep({c.contextCurrent, c.running, c.passwordDialogActive}), c.expected)
            << "context " << c.contextCurrent << ", running " << c.running << ", password "
            << c.passwordDialogActive;
    }
}

} // namespace
} // namespace vessmark
