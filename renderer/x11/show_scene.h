#pragma once
// What every mode of vessmark-show does alike to start a show and report on
// it: the fixed settings with the overrides, the seed, the clock.

#include <cstdint>
#include <optional>
#include <string>

#include "draw_path.h"
#include "png_file.h"
#include "scene.h"
#include "show_options.h"

namespace vessmark {

// Makes the C library keep the memory the OpenGL driver frees at the end of
// every frame for the next one, instead of handing it back to the system
// and having every page of it faulted in afresh. Call once, before any
// drawing.
void KeepFreedMemory();

// Milliseconds of the steady clock, truncated to 32 bits like the Windows
// counter, wrap and all.
std::uint32_t SteadyMilliseconds();

// The show's clock: the real one, or a fixed step per frame. With a fixed
// step every read within frame k answers k x step, so the first frame has no
// time, as on a fast machine, and a run can be repeated exactly.
class ShowClock {
public:
    explicit ShowClock(std::optional<int> stepMilliseconds) : step_(stepMilliseconds) {}
    ShowClock(const ShowClock&) = delete;
    ShowClock& operator=(const ShowClock&) = delete;

    // Call before drawing frame `frame` (counted from 0).
    void StartFrame(int frame);

    // Binds the scene's clock to this one, which must outlive the scene's use.
    void Bind(Scene& scene);

private:
    std::optional<int> step_;
    std::uint32_t fixedNow_ = 0;
};

// Moves the swarm through the options' warm-up frames without drawing them;
// the first drawn frame is then frame WarmUpFrames of the show.
void WarmUpScene(Scene& scene, ShowClock& clock, const ShowOptions& options);

// Fills the settings (fixed values, then the overrides) and seeds the scene;
// returns the seed: the one asked for, or the calendar time.
std::uint32_t PrepareShowScene(Scene& scene, const ShowOptions& options);

// The complaint when BuildScene could not allocate the objects.
std::string NotEnoughMemoryText(const Scene& scene);

// What the summary line of a show says after its figures: "seed X, RENDERER,
// PATH path" for the current context.
std::string ShowDetails(std::uint32_t seed, DrawPath path);

// Waits for the drawing to finish and reads the current read buffer back
// as a picture, rows from the top.
RgbImage ReadCurrentPicture(int width, int height);

} // namespace vessmark
