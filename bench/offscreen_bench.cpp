// Whole frames of the show with its own settings, drawn off-screen on Mesa:
// the motion, every lit sphere, and the wait for the rasteriser to finish;
// drawn the instanced way where the driver has it, and the OpenGL 1.1 way.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "frame_renderer.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "offscreen_surface.h"
#include "show_scene.h"

namespace vessmark {
namespace {

constexpr std::uint32_t FrameMilliseconds = 16;
// The swarm flies in from behind the viewer for about 300 frames; the
// frames measured are those people watch, after 900 frames of motion.
constexpr int WarmUpFrames = 900;

void OffscreenFrame(benchmark::State& state, DrawPathRequest request)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    KeepFreedMemory(); // as vessmark-show does
    std::string error;
    const auto surface = OffscreenSurface::Create(width, height, error);
    if (!surface) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto scene = std::make_unique<Scene>();
    ApplyDefaultSettings(scene->Settings);
    SeedScene(*scene, 1);
    std::uint32_t now = 0;
    scene->Clock = [&now] { return now; };
    if (!BuildScene(*scene, width, height, OffscreenSurface::Loader(), request)) {
        state.SkipWithError("cannot allocate the objects");
        return;
    }
    for (int i = 0; i < WarmUpFrames; ++i) {
        now += FrameMilliseconds;
        SkipFrame(*scene);
    }
    for (auto _ : state) {
        now += FrameMilliseconds;
        DrawFrame(*scene);
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(CurrentRendererName() + ", " + DrawPathName(scene->Path) + " path");
}

BENCHMARK_CAPTURE(OffscreenFrame, Auto, DrawPathRequest::Auto)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(OffscreenFrame, Fixed, DrawPathRequest::Fixed)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace vessmark
