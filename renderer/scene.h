#pragma once
// The renderer's scene state. The host owns the window, the drawing context,
// the clock and the seed; everything else about the show lives here.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "draw_path.h"
#include "random.h"
#include "renderer_settings.h"
#include "scene_extents.h"
#include "scene_object.h"
#include "sphere_drawer.h"

namespace vessmark {

// Display list that holds the lit sphere every object is drawn with, when
// the spheres are drawn the OpenGL 1.1 way.
inline constexpr unsigned SphereList = 1;

// Milliseconds since some moment, as timeGetTime gives them: the counter may
// wrap. Each host binds its own; tests bind a fake.
using MillisecondClock = std::function<std::uint32_t()>;

struct Scene {
    RendererSettings Settings;
    RandomGenerator Random;
    SceneExtents Extents;
    float Aspect = 0.0f;
    float HueStep = 0.0f;
    bool Sized = false; // extents, aspect and viewport are known; frames may be drawn

    // Each kind in one array, owned until the scene is freed. The counts are
    // those of the arrays that exist: zero when an array is missing.
    std::unique_ptr<SceneObject[]> LeaderArray;
    std::unique_ptr<SceneObject[]> FollowerArray;
    int LeaderCount = 0;
    int FollowerCount = 0;

    // Frame timing.
    MillisecondClock Clock;
    float FrameSeconds = 0.0f;     // this frame's step
    std::uint32_t LastFrameTime = 0; // clock reading of the previous frame
    bool ClockStarted = false;     // LastFrameTime has been read once
    std::uint32_t FirstFrameTime = 0; // clock reading of the first frame
    std::uint64_t FramesDrawn = 0;  // for the hosts' reports of the frame rate

    // How the spheres are drawn; chosen when the scene is built.
    DrawPath Path = DrawPath::Fixed;
    std::unique_ptr<SphereDrawer> Spheres;
    // The spheres of one frame that the camera may see, handed to Spheres;
    // room for every object is made with the drawer, so frames allocate
    // nothing.
    std::vector<SphereInstance> VisibleSpheres;

    std::span<SceneObject> Leaders() { return {LeaderArray.get(), static_cast<std::size_t>(LeaderCount)}; }
    std::span<SceneObject> Followers() { return {FollowerArray.get(), static_cast<std::size_t>(FollowerCount)}; }
};

// Seeds the show's generator and throws the first 20 values away.
void SeedScene(Scene& scene, std::uint32_t seed);

// Allocates the leader and the follower array at the sizes the settings ask
// for, initialises every leader and then every follower in index order, and
// sets the hue step. Needs the extents. Returns false, with neither array
// left behind, when an array cannot be allocated: the show cannot run then.
bool PopulateScene(Scene& scene);

// Destroys both arrays, if they exist.
void FreeSceneObjects(Scene& scene);

// The frame's time step from the clock. The first call reads the clock twice,
// so the first step is normally 0; a counter that has wrapped since the last
// frame reuses the last step. There is no upper bound.
void AdvanceFrameTime(Scene& scene);

// The motion of one frame without drawing: every leader, then every follower,
// as the frame renderer does it.
void UpdateScene(Scene& scene);

// A whole frame of the show but for its picture: the time step from the clock
// and the motion, exactly as a drawn frame has them (colours are worked out
// afresh from the hues in every drawn frame). A show that skips frames this
// way reaches the very state it would have reached by drawing them; the
// skipped frames do not count as drawn.
void SkipFrame(Scene& scene);

} // namespace vessmark
