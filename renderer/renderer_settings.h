#pragma once
// The renderer's fixed show parameters. There is no settings file for them: every
// show runs with the values that ApplyDefaultSettings puts in.

#include <optional>

namespace vessmark {

struct RendererSettings {
    int FollowerCount = 0;
    int LeaderCount = 0;
    int SphereDetail = 0;   // slices = detail + 2, stacks = detail + 1
    int DrawSpheres = 0;    // 1: lit spheres; 0: lines or points, no lighting
    int ObjectSize = 0;     // sphere radius = size * 0.5; factor of line width and point size
    int SpeedScale = 0;     // factor of every speed limit and acceleration
    int TailLength = 0;     // stretch along the motion, half length of a line
    int HueFollowRate = 0;  // hundredths of the colour circle per second
    int DepthColouring = 0; // 1: hue taken from depth
    int ShowLinks = 0;      // 1: a line from each follower to its leader
    int PriorityLevel = 0;  // 0 lowest, 1 below normal, 2 normal, else untouched
};

void ApplyDefaultSettings(RendererSettings& settings);

// Thread priorities as the Windows API numbers them; named here so that the
// mapping stays portable and testable.
inline constexpr int ThreadPriorityLowest = -2;
inline constexpr int ThreadPriorityBelowNormal = -1;
inline constexpr int ThreadPriorityNormal = 0;

// The priority to give the drawing thread, or nothing when the level asks to
// leave the priority alone.
std::optional<int> ThreadPriorityFor(int priorityLevel);

} // namespace vessmark
