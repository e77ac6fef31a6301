#include "scene_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene.h"
#include "scene_fixtures.h"

namespace vessmark {
namespace {

using testing::MakeScene;
using testing::PrimeNext;

SceneObject LeaderAt(Vector3 position)
{
    SceneObject leader;
    leader.Kind = Leader;
    leader.Hue = 0.5f;
    leader.Saturation = 1.0f;
    leader.Value = 1.0f;
    leader.Position = position;
    leader.MaxSpeed = 400.0f;
    leader.Acceleration = 650.0f;
    leader.Heading = {1, 1, 1};
    leader.TurnInterval = 1.0f;
    leader.TurnTimer = 1000.0f; // no turn during the test unless it says so
    return leader;
}

SceneObject FollowerAt(Vector3 position, float hue = 0.5f)
{
    SceneObject follower;
    follower.Kind = Follower;
    follower.Hue = hue;
    follower.Saturation = 1.0f;
    follower.Value = 1.0f;
    follower.Position = position;
    follower.MaxSpeed = 300.0f;
    follower.Acceleration = 500.0f;
    return follower;
}

// --- Birth -----------------------------------------------------------------

TEST(InitLeader, DrawsHuePositionAndTurnIntervalInThatOrder)
{
    auto scene = MakeScene();
    SeedScene(*scene, 777);
    RandomGenerator replay = scene->Random;
    SceneObject leader;
    InitLeader(leader, *scene);

    EXPECT_EQ(leader.Kind, Leader);
    EXPECT_EQ(leader.Hue, RandomFloat(replay, 1.0f));
    EXPECT_EQ(leader.Position.X, RandomFloat(replay, 426.0f) - 213.0f);
    EXPECT_EQ(leader.Position.Y, RandomFloat(replay, 320.0f) - 160.0f);
    EXPECT_EQ(leader.Position.Z, RandomFloat(replay, 426.0f) + 426.0f); // half-widths, not half-depths
    EXPECT_EQ(leader.TurnInterval, RandomFloat(replay, 4.0f) + 0.05f);
    EXPECT_EQ(scene->Random.Next(), replay.Next()) << "a leader draws exactly five values";
}

TEST(InitLeader, StartsBehindTheViewerAtRestHeadingIntoTheScene)
{
    auto scene = MakeScene();
    SeedScene(*scene, 1);
    for (int i = 0; i < 2000; ++i) {
        SceneObject leader;
        InitLeader(leader, *scene);
        ASSERT_GE(leader.Position.X, -213.0f);
        ASSERT_LE(leader.Position.X, 213.0f);
        ASSERT_GE(leader.Position.Y, -160.0f);
        ASSERT_LE(leader.Position.Y, 160.0f);
        ASSERT_GE(leader.Position.Z, 426.0f);
        ASSERT_LE(leader.Position.Z, 852.0f);
        ASSERT_GE(leader.TurnInterval, 0.05f);
        ASSERT_LE(leader.TurnInterval, 4.05f);
        ASSERT_GE(leader.Hue, 0.0f);
        ASSERT_LE(leader.Hue, 1.0f);
        ASSERT_EQ(leader.Velocity.X, 0.0f);
        ASSERT_EQ(leader.Velocity.Z, 0.0f);
        ASSERT_EQ(leader.Heading.X + leader.Heading.Y + leader.Heading.Z, 3);
    }
    SceneObject leader;
    InitLeader(leader, *scene);
    EXPECT_EQ(leader.MaxSpeed, 400.0f);
    EXPECT_EQ(leader.Acceleration, 650.0f);
    EXPECT_EQ(leader.TurnTimer, 1.0f);
    EXPECT_EQ(leader.Saturation, 1.0f);
    EXPECT_EQ(leader.Value, 1.0f);
}

TEST(InitFollower, DrawsHuePositionSpeedAndAccelerationInThatOrder)
{
    auto scene = MakeScene();
    SeedScene(*scene, 4242);
    RandomGenerator replay = scene->Random;
    SceneObject follower;
    follower.Target = 7;
    InitFollower(follower, *scene);

    EXPECT_EQ(follower.Kind, Follower);
    EXPECT_EQ(follower.Hue, RandomFloat(replay, 1.0f));
    EXPECT_EQ(follower.Position.X, RandomFloat(replay, 426.0f) - 213.0f);
    EXPECT_EQ(follower.Position.Y, RandomFloat(replay, 320.0f) - 160.0f);
    EXPECT_EQ(follower.Position.Z, RandomFloat(replay, 1065.0f) + 426.0f);
    EXPECT_EQ(follower.MaxSpeed, (RandomFloat(replay, 6.0f) + 4.0f) * 50.0f);
    EXPECT_EQ(follower.Acceleration, (RandomFloat(replay, 4.0f) + 9.0f) * 50.0f);
    EXPECT_EQ(follower.Target, 0) << "every follower chases leader 0 until it searches";
    EXPECT_EQ(scene->Random.Next(), replay.Next()) << "a follower draws exactly six values";
}

TEST(InitFollower, StartsFurtherBackWithItsOwnLimits)
{
    auto scene = MakeScene();
    SeedScene(*scene, 99);
    for (int i = 0; i < 2000; ++i) {
        SceneObject follower;
        InitFollower(follower, *scene);
        ASSERT_GE(follower.Position.Z, 426.0f);
        ASSERT_LE(follower.Position.Z, 1491.0f);
        ASSERT_GE(follower.MaxSpeed, 200.0f);
        ASSERT_LE(follower.MaxSpeed, 500.0f);
        ASSERT_GE(follower.Acceleration, 450.0f);
        ASSERT_LE(follower.Acceleration, 650.0f);
    }
}

// --- A frame without time -----------------------------------------------------

TEST(ZeroStep, ChangesNoPositionVelocityOrHue)
{
    auto scene = MakeScene();
    SeedScene(*scene, 2024);
    ASSERT_TRUE(PopulateScene(*scene));
    // Give everything some motion first, so that a zero step has something to keep.
    scene->FrameSeconds = 0.05f;
    for (int i = 0; i < 40; ++i) {
        UpdateScene(*scene);
    }
    for (SceneObject& leader : scene->Leaders()) {
        leader.TurnTimer = 0.5f; // not spent
    }
    const std::vector<SceneObject> leadersBefore(scene->Leaders().begin(), scene->Leaders().end());
    const std::vector<SceneObject> followersBefore(scene->Followers().begin(), scene->Followers().end());

    scene->FrameSeconds = 0.0f;
    UpdateScene(*scene);

    for (int i = 0; i < scene->LeaderCount; ++i) {
        const SceneObject& now = scene->Leaders()[i];
        const SceneObject& before = leadersBefore[i];
        EXPECT_EQ(now.Position.X, before.Position.X);
        EXPECT_EQ(now.Position.Z, before.Position.Z);
        EXPECT_EQ(now.Velocity.Y, before.Velocity.Y);
        EXPECT_EQ(now.Hue, before.Hue);
        EXPECT_EQ(now.TurnTimer, 0.5f) << "no turn was due";
    }
    for (int i = 0; i < scene->FollowerCount; ++i) {
        const SceneObject& now = scene->Followers()[i];
        const SceneObject& before = followersBefore[i];
        ASSERT_EQ(now.Position.X, before.Position.X);
        ASSERT_EQ(now.Position.Y, before.Position.Y);
        ASSERT_EQ(now.Position.Z, before.Position.Z);
        ASSERT_EQ(now.Velocity.X, before.Velocity.X);
        ASSERT_EQ(now.Velocity.Y, before.Velocity.Y);
        ASSERT_EQ(now.Velocity.Z, before.Velocity.Z);
        ASSERT_EQ(now.Hue, before.Hue);
    }
}

TEST(ZeroStep, StillTurnsALeaderWhoseTimerIsSpent)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.0f;
    SceneObject leader = LeaderAt({0, 0, 0});
    leader.Velocity = {10.0f, 20.0f, 30.0f};
    leader.TurnTimer = 0.0f;
    leader.TurnInterval = 2.0f;
    PrimeNext(scene->Random, 32767); // x flips for sure
    SteerLeader(leader, *scene);
    EXPECT_EQ(leader.Heading.X, 0);
    EXPECT_GT(leader.TurnTimer, 0.0f) << "the timer was wound up again";
    EXPECT_EQ(leader.Velocity.X, 10.0f);
    EXPECT_EQ(leader.Velocity.Z, 30.0f);
}

// --- Leaders: turns, acceleration, walls -----------------------------------------

TEST(LeaderTurn, EachFlagFlipsOnANonzeroDrawAndTwoCountsAsNonzero)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f;
    for (const HeadingFlags start : {HeadingFlags{1, 1, 1}, HeadingFlags{0, 1, 0}}) {
        for (int seed = 0; seed < 50; ++seed) {
            SceneObject leader = LeaderAt({0, 0, 0});
            leader.Heading = start;
            leader.TurnTimer = 0.05f; // spent during this frame
            scene->Random.Seed(static_cast<std::uint32_t>(seed) * 7919u);
            RandomGenerator replay = scene->Random;
            const bool flipX = RandomInt(replay, 2) != 0;
            const bool flipY = RandomInt(replay, 2) != 0;
            const bool flipZ = RandomInt(replay, 2) != 0;
            const float timer = RandomFloat(replay, leader.TurnInterval);

            SteerLeader(leader, *scene);
            EXPECT_EQ(leader.Heading.X, flipX ? 1 - start.X : start.X);
            EXPECT_EQ(leader.Heading.Y, flipY ? 1 - start.Y : start.Y);
            EXPECT_EQ(leader.Heading.Z, flipZ ? 1 - start.Z : start.Z);
            EXPECT_EQ(leader.TurnTimer, timer);
        }
    }
    // The top value makes RandomInt(2) give 2: still a flip, and the flag
    // stays 0 or 1.
    SceneObject leader = LeaderAt({0, 0, 0});
    leader.Heading = {0, 1, 1};
    leader.TurnTimer = 0.0f;
    PrimeNext(scene->Random, 32767);
    SteerLeader(leader, *scene);
    EXPECT_EQ(leader.Heading.X, 1);
}

TEST(LeaderSteering, AcceleratesAlongItsHeadingsWithZReversed)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    SceneObject leader = LeaderAt({0, 0, 0});
    leader.Heading = {1, 0, 1};
    SteerLeader(leader, *scene);
    EXPECT_FLOAT_EQ(leader.Velocity.X, 13.0f);  // 650 x 0.02 toward +x
    EXPECT_FLOAT_EQ(leader.Velocity.Y, -13.0f); // toward -y
    EXPECT_FLOAT_EQ(leader.Velocity.Z, -13.0f); // z flag 1: into the screen
    leader.Heading = {0, 1, 0};
    SteerLeader(leader, *scene);
    EXPECT_FLOAT_EQ(leader.Velocity.X, 0.0f);
    EXPECT_FLOAT_EQ(leader.Velocity.Y, 0.0f);
    EXPECT_FLOAT_EQ(leader.Velocity.Z, 0.0f);
}

TEST(LeaderSteering, StartedBehindTheViewerCrossesIntoTheBox)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    SceneObject leader = LeaderAt({0, 0, 3.0f * 213});
    std::span<const SceneObject> noLeaders;
    int frames = 0;
    float lastZ = leader.Position.Z;
    while (leader.Position.Z > 160.0f && frames < 500) {
        UpdateObject(leader, *scene, noLeaders);
        ASSERT_LT(leader.Position.Z, lastZ) << "it flies in steadily, frame " << frames;
        lastZ = leader.Position.Z;
        ++frames;
    }
    EXPECT_LE(leader.Position.Z, 160.0f);
    // 479 units from rest at 650 u/s^2 up to 400 u/s: about 1.5 s.
    EXPECT_GT(frames, 60);
    EXPECT_LT(frames, 90);
    EXPECT_EQ(leader.Velocity.Z, -400.0f);
    EXPECT_EQ(leader.Heading.Z, 1) << "inside the box the walls leave it alone";
}

struct WallCase {
    const char* Name;
    Vector3 Position;
    HeadingFlags Heading;
    HeadingFlags Expected;
};

void PrintTo(const WallCase& c, std::ostream* out) { *out << c.Name; }

class LeaderWalls : public ::testing::TestWithParam<WallCase> {};

TEST_P(LeaderWalls, TurnTheHeadingBackForTheNextFrame)
{
    const WallCase c = GetParam();
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f;
    SceneObject leader = LeaderAt(c.Position);
    leader.Heading = c.Heading;
    leader.Velocity = {0, 0, 0};
    const HeadingFlags before = c.Heading;
    SteerLeader(leader, *scene);
    EXPECT_EQ(leader.Heading.X, c.Expected.X);
    EXPECT_EQ(leader.Heading.Y, c.Expected.Y);
    EXPECT_EQ(leader.Heading.Z, c.Expected.Z);
    // This frame still accelerated along the heading it had.
    EXPECT_FLOAT_EQ(leader.Velocity.X, before.X == 1 ? 65.0f : -65.0f);
    EXPECT_FLOAT_EQ(leader.Velocity.Y, before.Y == 1 ? 65.0f : -65.0f);
    EXPECT_FLOAT_EQ(leader.Velocity.Z, before.Z == 1 ? -65.0f : 65.0f);
}

INSTANTIATE_TEST_SUITE_P(SixWalls, LeaderWalls,
    ::testing::Values(WallCase{"left", {-214, 0, 0}, {0, 1, 1}, {1, 1, 1}},
                      WallCase{"right", {214, 0, 0}, {1, 1, 1}, {0, 1, 1}},
                      WallCase{"bottom", {0, -161, 0}, {1, 0, 1}, {1, 1, 1}},
                      WallCase{"top", {0, 161, 0}, {1, 1, 1}, {1, 0, 1}},
                      WallCase{"back", {0, 0, -161}, {1, 1, 1}, {1, 1, 0}},
                      WallCase{"front", {0, 0, 161}, {1, 1, 0}, {1, 1, 1}},
                      WallCase{"on the wall", {213, 160, 160}, {1, 1, 0}, {1, 1, 0}},
                      WallCase{"corner", {-300, 200, -200}, {0, 1, 1}, {1, 0, 0}}),
    [](const ::testing::TestParamInfo<WallCase>& param) {
        std::string name = param.param.Name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(LeaderWalls, LookAtThePositionBeforeTheMove)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f;
    SceneObject leader = LeaderAt({212.5f, 0, 0});
    leader.Velocity = {300.0f, 0, 0};
    std::span<const SceneObject> noLeaders;
    UpdateObject(leader, *scene, noLeaders);
    EXPECT_GT(leader.Position.X, 213.0f) << "it has crossed the wall";
    EXPECT_EQ(leader.Heading.X, 1) << "but the wall saw it inside";
    UpdateObject(leader, *scene, noLeaders);
    EXPECT_EQ(leader.Heading.X, 0);
    UpdateObject(leader, *scene, noLeaders);
    EXPECT_LT(leader.Velocity.X, 365.0f) << "the turned heading slows it from the next frame on";
}

// --- Followers: search and chase ------------------------------------------------

TEST(FollowerSearch, PicksTheNearestLeaderAndTheLowerIndexOnATie)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    const std::vector<SceneObject> leaders = {LeaderAt({500, 0, 0}), LeaderAt({0, 100, 0}),
                                              LeaderAt({0, -100, 0}), LeaderAt({100, 0, 0})};
    SceneObject follower = FollowerAt({0, 0, 0});
    follower.Target = 0;
    PrimeNext(scene->Random, 3276); // RandomInt(10) == 0: a search
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Target, 1);
}

TEST(FollowerSearch, HappensOnlyOnAZeroDrawOfTen)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    const std::vector<SceneObject> leaders = {LeaderAt({500, 0, 0}), LeaderAt({10, 0, 0})};
    SceneObject follower = FollowerAt({0, 0, 0});
    PrimeNext(scene->Random, 3277);
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Target, 0) << "no search this frame";
    PrimeNext(scene->Random, 0);
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Target, 1);
}

TEST(FollowerSearch, IgnoresLeadersBeyondTheSearchRadius)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    // 3163^2 is just over 10,000,000, 3162^2 just under.
    std::vector<SceneObject> leaders = {LeaderAt({0, 0, 0}), LeaderAt({3163, 0, 0})};
    SceneObject follower = FollowerAt({0, 0, 0});
    follower.Position = {0, 0, 0};
    leaders[0].Position = {-5000, 0, 0};
    follower.Target = 0;
    PrimeNext(scene->Random, 0);
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Target, 0) << "nobody within reach: the old target stays";

    leaders[1].Position = {3162, 0, 0};
    PrimeNext(scene->Random, 0);
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Target, 1);
}

TEST(FollowerChase, AcceleratesTowardItsLeaderAndAwayWhenLevel)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.02f;
    const std::vector<SceneObject> leaders = {LeaderAt({50, -50, 0})};
    SceneObject follower = FollowerAt({0, 0, 0});
    PrimeNext(scene->Random, 20000); // no search
    SteerFollower(follower, *scene, leaders);
    EXPECT_FLOAT_EQ(follower.Velocity.X, 10.0f); // 500 x 0.02 toward the leader
    EXPECT_FLOAT_EQ(follower.Velocity.Y, -10.0f);
    EXPECT_FLOAT_EQ(follower.Velocity.Z, -10.0f) << "level on z counts as behind";
}

TEST(FollowerChase, WithoutLeadersDriftsOnItsVelocity)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f;
    SceneObject follower = FollowerAt({10, 20, 30}, 0.4f);
    follower.Velocity = {100.0f, -50.0f, 0.0f};
    follower.Target = 0;
    std::span<const SceneObject> noLeaders;
    for (int value : {0, 3276, 30000}) { // with and without a search
        PrimeNext(scene->Random, value);
        UpdateObject(follower, *scene, noLeaders);
    }
    EXPECT_FLOAT_EQ(follower.Position.X, 40.0f);
    EXPECT_FLOAT_EQ(follower.Position.Y, 5.0f);
    EXPECT_FLOAT_EQ(follower.Position.Z, 30.0f);
    EXPECT_EQ(follower.Velocity.X, 100.0f);
    EXPECT_EQ(follower.Hue, 0.4f);
    EXPECT_EQ(follower.Target, 0);
}

// --- Hue -------------------------------------------------------------------------

TEST(FollowerHue, TakesTheShorterWayThroughZeroAndWraps)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f; // 0.03 of the circle per frame
    std::vector<SceneObject> leaders = {LeaderAt({0, 0, 0})};
    leaders[0].Hue = 0.95f;
    SceneObject follower = FollowerAt({0, 0, 0}, 0.05f);

    std::vector<float> hues;
    for (int frame = 0; frame < 4; ++frame) {
        PrimeNext(scene->Random, 30000);
        SteerFollower(follower, *scene, leaders);
        hues.push_back(follower.Hue);
    }
    EXPECT_NEAR(hues[0], 0.02f, 1e-6f) << "down, toward 0";
    EXPECT_NEAR(hues[1], 0.99f, 1e-6f) << "through 0 to just below 1";
    EXPECT_NEAR(hues[2], 0.96f, 1e-6f) << "then down the short way";
    EXPECT_EQ(hues[3], 0.95f) << "closer than one step: snapped";
}

TEST(FollowerHue, MovesUpOrDownTheShortWayWithoutWrapping)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 0.1f;
    std::vector<SceneObject> leaders = {LeaderAt({0, 0, 0})};
    leaders[0].Hue = 0.6f;
    SceneObject below = FollowerAt({0, 0, 0}, 0.2f);
    SceneObject above = FollowerAt({0, 0, 0}, 0.9f);
    PrimeNext(scene->Random, 30000);
    SteerFollower(below, *scene, leaders);
    PrimeNext(scene->Random, 30000);
    SteerFollower(above, *scene, leaders);
    EXPECT_NEAR(below.Hue, 0.23f, 1e-6f);
    EXPECT_NEAR(above.Hue, 0.87f, 1e-6f);

    // Through zero the other way: a hue just below 1 chasing 0.05 goes up
    // past 1 and wraps to the bottom.
    leaders[0].Hue = 0.05f;
    SceneObject high = FollowerAt({0, 0, 0}, 0.98f);
    PrimeNext(scene->Random, 30000);
    SteerFollower(high, *scene, leaders);
    EXPECT_NEAR(high.Hue, 0.01f, 1e-6f);
}

TEST(DepthHue, RunsFromRedAtTheFrontToBlueAtTheBack)
{
    const SceneExtents e{213, 160, 160};
    EXPECT_EQ(DepthHue(213.0f, e), 0.0f);
    EXPECT_NEAR(DepthHue(0.0f, e), 0.3333335f, 1e-6f);
    EXPECT_NEAR(DepthHue(-213.0f, e), 0.666667f, 1e-6f);
    EXPECT_EQ(DepthHue(900.0f, e), 0.0f) << "behind the front: held at red";
    EXPECT_NEAR(DepthHue(-900.0f, e), 0.666667f, 1e-7f) << "beyond the back: held at blue";
}

TEST(DepthHue, ReplacesTheHueOfBothKindsWhenAskedFor)
{
    auto scene = MakeScene();
    scene->Settings.DepthColouring = 1;
    scene->FrameSeconds = 0.1f;
    std::vector<SceneObject> leaders = {LeaderAt({0, 0, -213.0f})};
    leaders[0].Hue = 0.1f;
    SteerLeader(leaders[0], *scene);
    EXPECT_NEAR(leaders[0].Hue, 0.666667f, 1e-6f);
    SceneObject follower = FollowerAt({0, 0, 213.0f}, 0.5f);
    PrimeNext(scene->Random, 30000);
    SteerFollower(follower, *scene, leaders);
    EXPECT_EQ(follower.Hue, 0.0f) << "depth, not the leader, sets the hue";
}

// --- Speed limit and move ----------------------------------------------------------

TEST(VelocityClamp, LimitsEachAxisOnItsOwn)
{
    SceneObject object = FollowerAt({0, 0, 0});
    object.MaxSpeed = 400.0f;
    object.Velocity = {500.0f, -500.0f, 399.0f};
    ClampVelocity(object);
    EXPECT_EQ(object.Velocity.X, 400.0f);
    EXPECT_EQ(object.Velocity.Y, -400.0f);
    EXPECT_EQ(object.Velocity.Z, 399.0f);
    // The length is not limited: 400 on every axis is about 693 in all.
    object.Velocity = {401.0f, 401.0f, -401.0f};
    ClampVelocity(object);
    EXPECT_NEAR(std::sqrt(3.0f * 400.0f * 400.0f),
                std::hypot(object.Velocity.X, object.Velocity.Y, object.Velocity.Z), 1e-3f);
}

TEST(VelocityClamp, BoundsTheJumpAfterALongPause)
{
    auto scene = MakeScene();
    scene->FrameSeconds = 5.0f; // the password dialog was up for five seconds
    SceneObject leader = LeaderAt({0, 0, 0});
    leader.Velocity = {390.0f, -390.0f, 0.0f};
    std::span<const SceneObject> noLeaders;
    UpdateObject(leader, *scene, noLeaders);
    EXPECT_FLOAT_EQ(leader.Position.X, 2000.0f);
    EXPECT_FLOAT_EQ(leader.Position.Y, 2000.0f) << "heading +y: from -390 to the limit";
    EXPECT_FLOAT_EQ(leader.Position.Z, -2000.0f);
}

} // namespace
} // namespace vessmark
