#pragma once
// The swarm's moving objects: leaders that wander through the scene box and
// followers that chase the nearest leader, and how each is born and steered.

#include <cstdint>
#include <span>

#include "colour.h"
#include "scene_extents.h"

namespace vessmark {

struct Scene;

// Values of SceneObject::Kind.
inline constexpr std::int32_t Leader = 0;
inline constexpr std::int32_t Follower = 1;

struct Vector3 {
    float X = 0.0f;
    float Y = 0.0f;
    float Z = 0.0f;
};

// Direction flags of a leader, each 0 or 1. For x and y, 1 accelerates toward
// the positive side; for z it is the other way round: 1 toward negative z,
// into the screen.
struct HeadingFlags {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
};

// One object of either kind. InitLeader or InitFollower gives it its values;
// the fields start at zero only so that a kind's unused fields read as
// something definite.
class SceneObject {
public:
    SceneObject() = default;
    SceneObject(const SceneObject&) = default;
    SceneObject& operator=(const SceneObject&) = default;
    virtual ~SceneObject() = default;

    std::int32_t Kind = Leader;
    float Hue = 0.0f;        // 0 red, 1/3 green, 2/3 blue
    float Saturation = 0.0f; // always 1
    float Value = 0.0f;      // always 1
    RgbColour Colour;        // from the hue, every frame
    RgbColour LinkColour;    // half the colour, every frame
    Vector3 Position;        // scene units
    Vector3 Velocity;        // scene units per second
    float MaxSpeed = 0.0f;     // limit of each velocity component
    float Acceleration = 0.0f; // units per second squared, on every axis
    HeadingFlags Heading;      // leaders only
    std::int32_t Target = 0;   // followers only: index of the leader chased
    float TurnInterval = 0.0f; // leaders only: longest wait between turns, seconds
    float TurnTimer = 0.0f;    // leaders only: seconds until the next turn
};

// A leader is born somewhere behind the viewer and flies in; its first turn
// comes after one second. The order of the random draws is part of the rule.
void InitLeader(SceneObject& object, Scene& scene);

// A follower is born further behind the viewer than any leader and chases
// leader 0 until its first search.
void InitFollower(SceneObject& object, Scene& scene);

// Hue from depth: red nearest the viewer (z = HalfWidth), blue at the back
// (z = -HalfWidth), held within red..blue.
float DepthHue(float z, const SceneExtents& extents);

// One frame of a leader's steering: random turns, acceleration along its
// headings, soft walls for the next frame, depth hue when asked for.
void SteerLeader(SceneObject& object, Scene& scene);

// One frame of a follower's steering: now and then a search for the nearest
// leader, acceleration toward it, its hue drawn toward the leader's.
void SteerFollower(SceneObject& object, Scene& scene, std::span<const SceneObject> leaders);

// Each velocity component is held within +-MaxSpeed on its own.
void ClampVelocity(SceneObject& object);

void Move(SceneObject& object, float seconds);

// The motion half of a frame for one object: steering by kind, clamp, move.
void UpdateObject(SceneObject& object, Scene& scene, std::span<const SceneObject> leaders);

} // namespace vessmark
