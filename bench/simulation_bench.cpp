// One frame of the swarm's motion without drawing: every leader's steering,
// then every follower's search, chase and hue, the clamp and the move. The
// followers' search visits every leader, so the cost grows with the followers
// alone while the leaders stay at 10.

#include <benchmark/benchmark.h>

#include <memory>

#include "scene.h"

namespace vessmark {
namespace {

constexpr float FrameStep = 0.016f; // about 60 frames per second
constexpr int WarmUpFrames = 300;   // the swarm flies in from behind the viewer first

void SimulationFrame(benchmark::State& state)
{
    auto scene = std::make_unique<Scene>();
    ApplyDefaultSettings(scene->Settings);
    scene->Settings.FollowerCount = static_cast<int>(state.range(0));
    scene->Extents = {284, 160, 160}; // a 1920 x 1080 screen
    SeedScene(*scene, 1);
    if (!PopulateScene(*scene)) {
        state.SkipWithError("cannot allocate the objects");
        return;
    }
    scene->FrameSeconds = FrameStep;
    for (int i = 0; i < WarmUpFrames; ++i) {
        UpdateScene(*scene);
    }
    for (auto _ : state) {
        UpdateScene(*scene);
        benchmark::DoNotOptimize(scene->Followers()[0].Position);
    }
    state.SetItemsProcessed(state.iterations() * (scene->LeaderCount + scene->FollowerCount));
    state.counters["objects"] = scene->LeaderCount + scene->FollowerCount;
}

BENCHMARK(SimulationFrame)->Arg(400)->Arg(4000)->Arg(40000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vessmark
