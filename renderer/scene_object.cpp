#include "scene_object.h"

#include <cmath>

#include "scene.h"

namespace vessmark {

namespace {
// Leaders' speed limit and acceleration, in units of SpeedScale.
constexpr float LeaderMaxSpeedScale = 8.0f;
constexpr float LeaderAccelerationScale = 13.0f;
// A leader waits between 0.05 and 4.05 seconds between turns, and one second
// before its first.
constexpr float LeaderTurnIntervalSpread = 4.0f;
constexpr float LeaderTurnIntervalMin = 0.05f;
constexpr float LeaderFirstTurn = 1.0f;
// Followers' speed limit (4..10) and acceleration (9..13) in units of SpeedScale.
constexpr float FollowerMaxSpeedSpread = 6.0f;
constexpr float FollowerMaxSpeedMin = 4.0f;
constexpr float FollowerAccelerationSpread = 4.0f;
constexpr float FollowerAccelerationMin = 9.0f;
// Objects start behind the viewer: leaders 2..4, followers 2..7 half-widths
// out along z, so the whole swarm rushes in at the start.
constexpr int StartDepthOffset = 2;
constexpr int LeaderStartDepthSpread = 2;
constexpr int FollowerStartDepthSpread = 5;
// About one frame in ten a follower looks for the nearest leader; leaders
// further than sqrt(SearchRadiusSquared) are never picked.
constexpr int SearchChance = 10;
constexpr float SearchRadiusSquared = 10000000.0f;
// Depth hue runs from red (0) at the front to blue at the back.
constexpr float DepthHueBlue = 0.666667f;

void StartCommon(SceneObject& object, Scene& scene, std::int32_t kind)
{
    object.Kind = kind;
    object.Hue = RandomFloat(scene.Random, 1.0f);
    object.Saturation = 1.0f;
    object.Value = 1.0f;
    const SceneExtents& e = scene.Extents;
    object.Position.X = RandomFloat(scene.Random, static_cast<float>(2 * e.HalfWidth)) - static_cast<float>(e.HalfWidth);
    object.Position.Y = RandomFloat(scene.Random, static_cast<float>(2 * e.HalfHeight)) - static_cast<float>(e.HalfHeight);
}

// One axis toward the positive side when the flag says so, else toward the
// negative side.
float Accelerate(float velocity, bool towardPositive, float step)
{
    return towardPositive ? velocity + step : velocity - step;
}

float FollowHue(float hue, float leaderHue, float step)
{
    const float diff = std::fabs(hue - leaderHue);
    if (diff < step) {
        return leaderHue;
    }
    if (diff < 0.5f) {
        return hue <= leaderHue ? hue + step : hue - step;
    }
    // The way through 0 is shorter.
    hue = hue <= leaderHue ? hue - step : hue + step;
    if (hue > 1.0f) {
        hue -= 1.0f;
    }
    if (hue < 0.0f) {
        hue += 1.0f;
    }
    return hue;
}

float Clamp(float component, float limit)
{
    if (component > limit) {
        return limit;
    }
    if (component < -limit) {
        return -limit;
    }
    return component;
}
} // namespace

void InitLeader(SceneObject& object, Scene& scene)
{
    StartCommon(object, scene, Leader);
    const int halfWidth = scene.Extents.HalfWidth;
    // HalfWidth, not HalfDepth: the start lies behind the viewer, whose distance
    // from the centre is measured in half-widths.
    object.Position.Z = RandomFloat(scene.Random, static_cast<float>(LeaderStartDepthSpread * halfWidth))
                        + static_cast<float>(StartDepthOffset * halfWidth);
    object.Velocity = {};
    object.Heading = {1, 1, 1};
    const auto speedScale = static_cast<float>(scene.Settings.SpeedScale);
    object.MaxSpeed = speedScale * LeaderMaxSpeedScale;
    object.Acceleration = speedScale * LeaderAccelerationScale;
    object.TurnInterval = RandomFloat(scene.Random, LeaderTurnIntervalSpread) + LeaderTurnIntervalMin;
    object.TurnTimer = LeaderFirstTurn;
}

void InitFollower(SceneObject& object, Scene& scene)
{
    StartCommon(object, scene, Follower);
    const int halfWidth = scene.Extents.HalfWidth;
    object.Position.Z = RandomFloat(scene.Random, static_cast<float>(FollowerStartDepthSpread * halfWidth))
                        + static_cast<float>(StartDepthOffset * halfWidth);
    object.Heading = {0, 0, 0};
    object.Velocity = {};
    const auto speedScale = static_cast<float>(scene.Settings.SpeedScale);
    object.MaxSpeed = (RandomFloat(scene.Random, FollowerMaxSpeedSpread) + FollowerMaxSpeedMin) * speedScale;
    object.Acceleration = (RandomFloat(scene.Random, FollowerAccelerationSpread) + FollowerAccelerationMin) * speedScale;
    object.Target = 0;
}

float DepthHue(float z, const SceneExtents& extents)
{
    float hue = (static_cast<float>(extents.HalfWidth) - z) / static_cast<float>(2 * extents.HalfWidth) * DepthHueBlue;
    if (hue > DepthHueBlue) {
        hue = DepthHueBlue;
    }
    if (hue < 0.0f) {
        hue = 0.0f;
    }
    return hue;
}

void SteerLeader(SceneObject& object, Scene& scene)
{
    const float dt = scene.FrameSeconds;
    const float step = object.Acceleration * dt;

    object.TurnTimer -= dt;
    if (object.TurnTimer <= 0.0f) {
        // Each flag flips with a chance of one half; RandomInt(2) may also
        // give 2, which counts as a flip too.
        HeadingFlags& h = object.Heading;
        for (std::int32_t* flag : {&h.X, &h.Y, &h.Z}) {
            if (RandomInt(scene.Random, 2) != 0) {
                *flag += 1;
            }
        }
        for (std::int32_t* flag : {&h.X, &h.Y, &h.Z}) {
            if (*flag >= 2) {
                *flag = 0;
            }
        }
        object.TurnTimer = RandomFloat(scene.Random, object.TurnInterval);
    }

    object.Velocity.X = Accelerate(object.Velocity.X, object.Heading.X == 1, step);
    object.Velocity.Y = Accelerate(object.Velocity.Y, object.Heading.Y == 1, step);
    object.Velocity.Z = Accelerate(object.Velocity.Z, object.Heading.Z != 1, step);

    // Soft walls: they set the headings for the next frame's acceleration, so
    // a leader overshoots until its velocity has turned round.
    const SceneExtents& e = scene.Extents;
    const Vector3& p = object.Position;
    if (p.X < static_cast<float>(-e.HalfWidth)) {
        object.Heading.X = 1;
    }
    if (p.X > static_cast<float>(e.HalfWidth)) {
        object.Heading.X = 0;
    }
    if (p.Y < static_cast<float>(-e.HalfHeight)) {
        object.Heading.Y = 1;
    }
    if (p.Y > static_cast<float>(e.HalfHeight)) {
        object.Heading.Y = 0;
    }
    if (p.Z < static_cast<float>(-e.HalfDepth)) {
        object.Heading.Z = 0;
    }
    if (p.Z > static_cast<float>(e.HalfDepth)) {
        object.Heading.Z = 1;
    }

    if (scene.Settings.DepthColouring == 1) {
        object.Hue = DepthHue(p.Z, e);
    }
}

void SteerFollower(SceneObject& object, Scene& scene, std::span<const SceneObject> leaders)
{
    const float dt = scene.FrameSeconds;
    const float step = object.Acceleration * dt;
    const Vector3& p = object.Position;

    if (RandomInt(scene.Random, SearchChance) == 0) {
        float best = SearchRadiusSquared;
        for (std::size_t i = 0; i < leaders.size(); ++i) {
            const Vector3& l = leaders[i].Position;
            const float dx = l.X - p.X;
            const float dy = l.Y - p.Y;
            const float dz = l.Z - p.Z;
            const float d2 = dx * dx + dy * dy + dz * dz;
            if (d2 < best) {
                best = d2;
                object.Target = static_cast<std::int32_t>(i);
            }
        }
    }

    // With no leader to chase (an empty leader array) a follower drifts on
    // with the velocity it has, and keeps its hue unless depth gives one.
    const bool hasLeader = object.Target >= 0 && static_cast<std::size_t>(object.Target) < leaders.size();
    if (hasLeader) {
        const SceneObject& leader = leaders[static_cast<std::size_t>(object.Target)];
        // Equal positions count as "behind": the follower accelerates toward
        // the negative side.
        object.Velocity.X = Accelerate(object.Velocity.X, leader.Position.X - p.X > 0.0f, step);
        object.Velocity.Y = Accelerate(object.Velocity.Y, leader.Position.Y - p.Y > 0.0f, step);
        object.Velocity.Z = Accelerate(object.Velocity.Z, leader.Position.Z - p.Z > 0.0f, step);
    }

    if (scene.Settings.DepthColouring == 1) {
        object.Hue = DepthHue(p.Z, scene.Extents);
    } else if (hasLeader) {
        const SceneObject& leader = leaders[static_cast<std::size_t>(object.Target)];
        object.Hue = FollowHue(object.Hue, leader.Hue, scene.HueStep * dt);
    }
}

void ClampVelocity(SceneObject& object)
{
    object.Velocity.X = Clamp(object.Velocity.X, object.MaxSpeed);
    object.Velocity.Y = Clamp(object.Velocity.Y, object.MaxSpeed);
    object.Velocity.Z = Clamp(object.Velocity.Z, object.MaxSpeed);
}

void Move(SceneObject& object, float seconds)
{
    object.Position.X += object.Velocity.X * seconds;
    object.Position.Y += object.Velocity.Y * seconds;
    object.Position.Z += object.Velocity.Z * seconds;
}

void UpdateObject(SceneObject& object, Scene& scene, std::span<const SceneObject> leaders)
{
    if (object.Kind == Leader) {
        SteerLeader(object, scene);
    } else {
        SteerFollower(object, scene, leaders);
    }
    ClampVelocity(object);
    Move(object, scene.FrameSeconds);
}

} // namespace vessmark
