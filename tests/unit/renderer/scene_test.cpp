#include "scene.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

#include "scene_fixtures.h"

namespace vessmark {
namespace {

using testing::MakeScene;
using testing::ScriptedClock;
using testing::SteppingClock;

// --- Building the swarm -----------------------------------------------------------

TEST(PopulateScene, BuildsBothArraysLeadersFirstAndSetsTheHueStep)
{
    auto scene = MakeScene();
    scene->HueStep = 0.0f;
    SeedScene(*scene, 31337);
    RandomGenerator replay = scene->Random;
    ASSERT_TRUE(PopulateScene(*scene));
    ASSERT_EQ(scene->LeaderCount, 10);
    ASSERT_EQ(scene->FollowerCount, 400);
    EXPECT_FLOAT_EQ(scene->HueStep, 0.3f);

    // Every leader draws five values, then the followers start drawing.
    EXPECT_EQ(scene->Leaders()[0].Hue, RandomFloat(replay, 1.0f));
    for (int i = 0; i < 10 * 5 - 1; ++i) {
        replay.Next();
    }
    EXPECT_EQ(scene->Followers()[0].Hue, RandomFloat(replay, 1.0f));
    for (const SceneObject& leader : scene->Leaders()) {
        EXPECT_EQ(leader.Kind, Leader);
    }
    for (const SceneObject& follower : scene->Followers()) {
        ASSERT_EQ(follower.Kind, Follower);
    }
}

TEST(SeedScene, ThrowsTheFirstTwentyValuesAway)
{
    Scene scene;
    SeedScene(scene, 5);
    RandomGenerator fresh;
    fresh.Seed(5);
    for (int i = 0; i < 20; ++i) {
        fresh.Next();
    }
    EXPECT_EQ(scene.Random.Next(), fresh.Next());
    EXPECT_EQ(scene.Random.Next(), fresh.Next());
}

TEST(PopulateScene, ArraysThatCannotBeAllocatedLeaveNoSceneBehind)
{
    for (const auto& [leaders, followers] : {std::pair{10, -1}, std::pair{-1, 400}}) {
        auto scene = MakeScene();
        scene->Settings.LeaderCount = leaders;
        scene->Settings.FollowerCount = followers;
        SeedScene(*scene, 1);
        EXPECT_FALSE(PopulateScene(*scene));
        EXPECT_EQ(scene->LeaderArray, nullptr);
        EXPECT_EQ(scene->FollowerArray, nullptr);
        EXPECT_EQ(scene->LeaderCount, 0);
        EXPECT_EQ(scene->FollowerCount, 0);
        scene->FrameSeconds = 0.02f;
        UpdateScene(*scene); // nothing to move, nothing to read
    }
}

TEST(PopulateScene, FollowersWithoutLeadersDriftAndStayInBounds)
{
    auto scene = MakeScene();
    scene->Settings.LeaderCount = 0;
    scene->Settings.FollowerCount = 50;
    SeedScene(*scene, 8);
    ASSERT_TRUE(PopulateScene(*scene));
    for (SceneObject& follower : scene->Followers()) {
        follower.Velocity = {0.0f, 0.0f, -100.0f};
    }
    const std::vector<SceneObject> before(scene->Followers().begin(), scene->Followers().end());
    scene->FrameSeconds = 0.5f;
    for (int frame = 0; frame < 20; ++frame) {
        UpdateScene(*scene);
    }
    for (int i = 0; i < 50; ++i) {
        const SceneObject& now = scene->Followers()[i];
        EXPECT_FLOAT_EQ(now.Position.Z, before[i].Position.Z - 1000.0f);
        EXPECT_EQ(now.Position.X, before[i].Position.X);
        EXPECT_EQ(now.Velocity.Z, -100.0f);
        EXPECT_EQ(now.Hue, before[i].Hue);
    }
}

TEST(FreeSceneObjects, ReleasesBothArrays)
{
    auto scene = MakeScene();
    SeedScene(*scene, 1);
    ASSERT_TRUE(PopulateScene(*scene));
    FreeSceneObjects(*scene);
    EXPECT_EQ(scene->LeaderArray, nullptr);
    EXPECT_EQ(scene->FollowerArray, nullptr);
    EXPECT_TRUE(scene->Followers().empty());
}

// --- Frame timing ---------------------------------------------------------------

TEST(FrameTime, FirstStepIsTheTimeBetweenTwoReadsOfTheClock)
{
    Scene scene;
    EXPECT_EQ(scene.FrameSeconds, 0.0f);
    scene.Clock = ScriptedClock({1000, 1003, 1020, 1020});
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 0.003f);
    EXPECT_EQ(scene.LastFrameTime, 1003u);
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 0.017f);
    AdvanceFrameTime(scene);
    EXPECT_EQ(scene.FrameSeconds, 0.0f) << "no time passed";
    EXPECT_EQ(scene.FirstFrameTime, 1000u) << "the frame rate is reported from the first reading on";
}

TEST(FrameTime, AWrappedCounterReusesTheLastStep)
{
    Scene scene;
    scene.Clock = ScriptedClock({0xFFFFFFE0u, 0xFFFFFFF0u, 0x00000010u, 0x00000020u});
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 0.016f);
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 0.016f) << "the wrap frame reuses the step";
    EXPECT_EQ(scene.LastFrameTime, 0x10u);
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 0.016f);
}

TEST(FrameTime, ALongPauseIsOneLongStep)
{
    Scene scene;
    scene.Clock = ScriptedClock({0, 0, 20, 7020});
    AdvanceFrameTime(scene);
    AdvanceFrameTime(scene);
    AdvanceFrameTime(scene);
    EXPECT_FLOAT_EQ(scene.FrameSeconds, 7.0f);
}

TEST(FrameTime, FirstFrameOfTheShowMovesNothing)
{
    auto scene = MakeScene();
    SeedScene(*scene, 3);
    ASSERT_TRUE(PopulateScene(*scene));
    SteppingClock clock{123456};
    scene->Clock = clock.Bind();
    const SceneObject before = scene->Followers()[17];
    AdvanceFrameTime(*scene);
    UpdateScene(*scene);
    EXPECT_EQ(scene->FrameSeconds, 0.0f);
    EXPECT_EQ(scene->Followers()[17].Position.Z, before.Position.Z);
    clock.Now += 20;
    AdvanceFrameTime(*scene);
    UpdateScene(*scene);
    EXPECT_NE(scene->Followers()[17].Position.Z, before.Position.Z) << "the second frame moves";
}

// --- Determinism ----------------------------------------------------------------

// Every field of every object, bit for bit.
std::vector<std::uint32_t> Snapshot(Scene& scene)
{
    std::vector<std::uint32_t> bits;
    auto add = [&](const SceneObject& o) {
        for (const float f : {o.Hue, o.Position.X, o.Position.Y, o.Position.Z, o.Velocity.X, o.Velocity.Y,
                              o.Velocity.Z, o.MaxSpeed, o.Acceleration, o.TurnInterval, o.TurnTimer}) {
            bits.push_back(std::bit_cast<std::uint32_t>(f));
        }
        for (const std::int32_t i : {o.Kind, o.Heading.X, o.Heading.Y, o.Heading.Z, o.Target}) {
            bits.push_back(static_cast<std::uint32_t>(i));
        }
    };
    for (const SceneObject& o : scene.Leaders()) {
        add(o);
    }
    for (const SceneObject& o : scene.Followers()) {
        add(o);
    }
    return bits;
}

std::vector<std::uint32_t> RunShow(std::uint32_t seed, int frames)
{
    auto scene = MakeScene();
    SeedScene(*scene, seed);
    EXPECT_TRUE(PopulateScene(*scene));
    SteppingClock clock{5000};
    scene->Clock = clock.Bind();
    for (int frame = 0; frame < frames; ++frame) {
        clock.Now += 15 + static_cast<std::uint32_t>(frame % 3); // 15, 16, 17 ms
        AdvanceFrameTime(*scene);
        UpdateScene(*scene);
    }
    return Snapshot(*scene);
}

TEST(Determinism, TheSameSeedAndStepsGiveBitIdenticalObjects)
{
    const auto first = RunShow(20240601, 600);
    const auto second = RunShow(20240601, 600);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, RunShow(20240602, 600)) << "another seed, another show";
}

} // namespace
} // namespace vessmark
