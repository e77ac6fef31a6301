#include "offscreen_show.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>

#include "frame_renderer.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "offscreen_surface.h"
#include "state_dump.h"

namespace vessmark {

namespace {
std::uint32_t SteadyMilliseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    // Truncated to 32 bits like the Windows counter, wrap and all.
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
} // namespace

int RunOffscreenShow(const ShowOptions& options, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto surface = OffscreenSurface::Create(options.Width, options.Height, error);
    if (!surface) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }

    auto scene = std::make_unique<Scene>();
    ApplyDefaultSettings(scene->Settings);
    ApplyOverrides(options.Overrides, scene->Settings);
    const std::uint32_t seed = options.Seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    SeedScene(*scene, seed);

    // With a fixed step every read within frame k answers k x step, so the
    // first frame has no time, as on a fast machine, and a run can be repeated
    // exactly.
    std::uint32_t fixedNow = 0;
    if (options.StepMilliseconds) {
        scene->Clock = [&fixedNow] { return fixedNow; };
    } else {
        scene->Clock = SteadyMilliseconds;
    }

    if (!BuildScene(*scene, options.Width, options.Height)) {
        err << "vessmark-show: not enough memory for " << scene->Settings.LeaderCount << " leaders and "
            << scene->Settings.FollowerCount << " followers\n";
        return ShowExitNoMemory;
    }

    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < options.Frames; ++frame) {
        if (options.StepMilliseconds) {
            fixedNow = static_cast<std::uint32_t>(frame) * static_cast<std::uint32_t>(*options.StepMilliseconds);
        }
        DrawFrame(*scene);
        glFlush();
    }
    glFinish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (const std::string failed = WritePng(options.Output, surface->ReadPicture()); !failed.empty()) {
        err << "vessmark-show: " << failed << "\n";
        return ShowExitFailed;
    }
    if (!options.Dump.empty()) {
        std::ofstream dump(options.Dump);
        WriteStateCsv(dump, *scene);
        dump.flush();
        if (!dump) {
            err << "vessmark-show: cannot write " << options.Dump << "\n";
            return ShowExitFailed;
        }
    }

    char summary[256];
    std::snprintf(summary, sizeof summary, "%d frames of %dx%d in %.3f s: %.1f frames per second (seed %u, %s)",
                  options.Frames, options.Width, options.Height, seconds,
                  seconds > 0.0 ? options.Frames / seconds : 0.0, seed, surface->RendererName().c_str());
    out << summary << "\n";
    return ShowExitDone;
}

} // namespace vessmark
