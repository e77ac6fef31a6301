#include "scene.h"

#include <new>

namespace vessmark {

namespace {
constexpr int DiscardedRandomValues = 20;
constexpr float HueRateUnit = 0.01f; // HueFollowRate counts hundredths of the circle
constexpr double SecondsPerMillisecond = 0.001;

// One array of `count` objects, or nothing when it cannot be had. A negative
// count is refused before it reaches the allocator, which would take it for
// an enormous size.
std::unique_ptr<SceneObject[]> AllocateObjects(int count)
{
    if (count < 0) {
        return nullptr;
    }
    try {
        return std::unique_ptr<SceneObject[]>(new SceneObject[static_cast<std::size_t>(count)]);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
} // namespace

void SeedScene(Scene& scene, std::uint32_t seed)
{
    scene.Random.Seed(seed);
    for (int i = 0; i < DiscardedRandomValues; ++i) {
        scene.Random.Next();
    }
}

bool PopulateScene(Scene& scene)
{
    FreeSceneObjects(scene);
    scene.LeaderArray = AllocateObjects(scene.Settings.LeaderCount);
    if (scene.LeaderArray) {
        scene.FollowerArray = AllocateObjects(scene.Settings.FollowerCount);
    }
    if (!scene.LeaderArray || !scene.FollowerArray) {
        FreeSceneObjects(scene);
        return false;
    }
    scene.LeaderCount = scene.Settings.LeaderCount;
    scene.FollowerCount = scene.Settings.FollowerCount;
    for (SceneObject& leader : scene.Leaders()) {
        InitLeader(leader, scene);
    }
    for (SceneObject& follower : scene.Followers()) {
        InitFollower(follower, scene);
    }
    scene.HueStep = static_cast<float>(scene.Settings.HueFollowRate) * HueRateUnit;
    return true;
}

void FreeSceneObjects(Scene& scene)
{
    scene.LeaderCount = 0;
    scene.FollowerCount = 0;
    scene.LeaderArray.reset();
    scene.FollowerArray.reset();
}

void AdvanceFrameTime(Scene& scene)
{
    if (!scene.Clock) {
        return; // no clock, no time: the scene stands still
    }
    if (!scene.ClockStarted) {
        scene.LastFrameTime = scene.Clock();
        scene.FirstFrameTime = scene.LastFrameTime;
        scene.ClockStarted = true;
    }
    const std::uint32_t previous = scene.LastFrameTime;
    const std::uint32_t now = scene.Clock();
    scene.LastFrameTime = now;
    if (now >= previous) {
        scene.FrameSeconds = static_cast<float>((now - previous) * SecondsPerMillisecond);
    }
}

void UpdateScene(Scene& scene)
{
    const std::span<const SceneObject> leaders = scene.Leaders();
    for (SceneObject& leader : scene.Leaders()) {
        UpdateObject(leader, scene, leaders);
    }
    for (SceneObject& follower : scene.Followers()) {
        UpdateObject(follower, scene, leaders);
    }
}

void SkipFrame(Scene& scene)
{
    if (!scene.Sized) {
        return; // as a drawn frame: nothing happens in an unsized scene
    }
    AdvanceFrameTime(scene);
    UpdateScene(scene);
}

} // namespace vessmark
