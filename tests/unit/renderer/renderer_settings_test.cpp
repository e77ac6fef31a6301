#include "renderer_settings.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

TEST(RendererSettings, DefaultsFillEveryField)
{
    RendererSettings settings;
    settings.DepthColouring = 7; // a stale value must be overwritten too
    settings.ShowLinks = 7;
    ApplyDefaultSettings(settings);
    EXPECT_EQ(settings.FollowerCount, 400);
    EXPECT_EQ(settings.LeaderCount, 10);
    EXPECT_EQ(settings.SphereDetail, 10);
    EXPECT_EQ(settings.DrawSpheres, 1);
    EXPECT_EQ(settings.ObjectSize, 4);
    EXPECT_EQ(settings.SpeedScale, 50);
    EXPECT_EQ(settings.TailLength, 150);
    EXPECT_EQ(settings.HueFollowRate, 30);
    EXPECT_EQ(settings.DepthColouring, 0);
    EXPECT_EQ(settings.ShowLinks, 0);
    EXPECT_EQ(settings.PriorityLevel, 2);
}

TEST(RendererSettings, PriorityLevelMapsToThreadPriorities)
{
    EXPECT_EQ(ThreadPriorityFor(0), -2); // lowest
    EXPECT_EQ(ThreadPriorityFor(1), -1); // below normal
    EXPECT_EQ(ThreadPriorityFor(2), 0);  // normal
}

TEST(RendererSettings, PriorityLevelOutsideTheTableLeavesThePriorityAlone)
{
    EXPECT_FALSE(ThreadPriorityFor(3));
    EXPECT_FALSE(ThreadPriorityFor(-1));
    EXPECT_FALSE(ThreadPriorityFor(1000));
}

} // namespace
} // namespace vessmark
