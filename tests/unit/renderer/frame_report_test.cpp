#include "frame_report.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

TEST(FrameRateSummary, GivesFramesTimeAndRateInOneLine)
{
    EXPECT_EQ(FrameRateSummary(600, 1920, 1080, 12.5, "llvmpipe, instanced path"),
              "600 frames of 1920x1080 in 12.500 s: 48.0 frames per second (llvmpipe, instanced path)");
    // A show that ended before its first frame (no OpenGL) reports no rate
    // rather than dividing by nothing.
    EXPECT_EQ(FrameRateSummary(0, 1024, 768, 0.0, "no OpenGL, fixed path"),
              "0 frames of 1024x768 in 0.000 s: 0.0 frames per second (no OpenGL, fixed path)");
}

} // namespace
} // namespace vessmark
