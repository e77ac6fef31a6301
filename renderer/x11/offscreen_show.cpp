#include "offscreen_show.h"

#include <chrono>
#include <fstream>
#include <memory>

#include "frame_renderer.h"
#include "frame_report.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "offscreen_surface.h"
#include "show_scene.h"
#include "state_dump.h"

namespace vessmark {

int RunOffscreenShow(const ShowOptions& options, std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto surface = OffscreenSurface::Create(options.Width, options.Height, error);
    if (!surface) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }

    auto scene = std::make_unique<Scene>();
    const std::uint32_t seed = PrepareShowScene(*scene, options);
    ShowClock clock(options.StepMilliseconds);
    clock.Bind(*scene);

    if (!BuildScene(*scene, options.Width, options.Height, OffscreenSurface::Loader(), options.DrawPath)) {
        err << "vessmark-show: " << NotEnoughMemoryText(*scene) << "\n";
        return ShowExitNoMemory;
    }

    WarmUpScene(*scene, clock, options);
    const int frames = options.Frames.value_or(DefaultOffscreenFrames);
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        clock.StartFrame(options.WarmUpFrames + frame);
        DrawFrame(*scene);
        // In place of a buffer swap: the frame goes to the rasteriser, which
        // works on it while the next one is being sent.
        glFlush();
    }
    glFinish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const std::string output = options.Output.empty() ? DefaultOffscreenOutput : options.Output;
    if (const std::string failed = WritePng(output, surface->ReadPicture()); !failed.empty()) {
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

    out << FrameRateSummary(static_cast<std::uint64_t>(frames), options.Width, options.Height, seconds,
                            ShowDetails(seed, scene->Path))
        << "\n";
    return ShowExitDone;
}

} // namespace vessmark
