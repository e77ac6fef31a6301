#include "scene_extents.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vessmark {
namespace {

struct ExtentsCase {
    int Width, Height, HalfWidth, HalfHeight;
    float Aspect;
};

void PrintTo(const ExtentsCase& c, std::ostream* out) { *out << c.Width << "x" << c.Height; }

class SceneExtentsBySize : public ::testing::TestWithParam<ExtentsCase> {};

TEST_P(SceneExtentsBySize, ShorterSideGets160AndTheLongerScales)
{
    const ExtentsCase c = GetParam();
    const auto extents = ComputeSceneExtents(c.Width, c.Height);
    ASSERT_TRUE(extents);
    EXPECT_EQ(extents->HalfWidth, c.HalfWidth);
    EXPECT_EQ(extents->HalfHeight, c.HalfHeight);
    EXPECT_EQ(extents->HalfDepth, 160);
    const auto aspect = ComputeAspect(c.Width, c.Height);
    ASSERT_TRUE(aspect);
    EXPECT_FLOAT_EQ(*aspect, c.Aspect);
}

INSTANTIATE_TEST_SUITE_P(ScreenSizes, SceneExtentsBySize,
    ::testing::Values(ExtentsCase{640, 480, 213, 160, 4.0f / 3.0f},
                      ExtentsCase{800, 600, 213, 160, 4.0f / 3.0f},
                      ExtentsCase{1024, 768, 213, 160, 4.0f / 3.0f},
                      ExtentsCase{1280, 1024, 200, 160, 1.25f},
                      ExtentsCase{1920, 1080, 284, 160, 1.7777778f},
                      ExtentsCase{600, 600, 160, 160, 1.0f},
                      ExtentsCase{768, 1024, 160, 213, 0.75f}),
    [](const ::testing::TestParamInfo<ExtentsCase>& param) {
        return std::to_string(param.param.Width) + "x" + std::to_string(param.param.Height);
    });

TEST(SceneExtents, EmptyClientAreaHasNoExtentsAndNoAspect)
{
    EXPECT_FALSE(ComputeSceneExtents(0, 768));
    EXPECT_FALSE(ComputeSceneExtents(1024, 0));
    EXPECT_FALSE(ComputeSceneExtents(0, 0));
    EXPECT_FALSE(ComputeAspect(0, 768));
    EXPECT_FALSE(ComputeAspect(1024, 0));
}

TEST(SceneExtents, OnePixelHighStripStillDividesSafely)
{
    const auto extents = ComputeSceneExtents(1024, 1);
    ASSERT_TRUE(extents);
    EXPECT_EQ(extents->HalfWidth, 1024 * 160);
    EXPECT_EQ(extents->HalfHeight, 160);
}

} // namespace
} // namespace vessmark
