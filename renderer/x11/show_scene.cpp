#include "show_scene.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "gl_api.h"
#include "gl_setup.h"

namespace vessmark {

namespace {
// A software rasteriser sorts every frame's triangles into memory of its own
// and frees it once the frame is drawn. The C library hands the top of its
// heap back to the system beyond 128 KiB by default, so the next frame took
// it back page by page: for the show at 1920 x 1080 on the screen about
// 4 800 page faults (19 MB) a frame and a seventh of its CPU time. Freed
// memory up to this much now stays for the next frame.
constexpr int KeptFreeMemory = 512 << 20;
} // namespace

void KeepFreedMemory()
{
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, KeptFreeMemory);
#endif
}

std::uint32_t SteadyMilliseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void ShowClock::StartFrame(int frame)
{
    if (step_) {
        fixedNow_ = static_cast<std::uint32_t>(frame) * static_cast<std::uint32_t>(*step_);
    }
}

void ShowClock::Bind(Scene& scene)
{
    if (step_) {
        scene.Clock = [this] { return fixedNow_; };
    } else {
        scene.Clock = SteadyMilliseconds;
    }
}

void WarmUpScene(Scene& scene, ShowClock& clock, const ShowOptions& options)
{
    for (int frame = 0; frame < options.WarmUpFrames; ++frame) {
        clock.StartFrame(frame);
        SkipFrame(scene);
    }
}

std::uint32_t PrepareShowScene(Scene& scene, const ShowOptions& options)
{
    ApplyDefaultSettings(scene.Settings);
    ApplyOverrides(options.Overrides, scene.Settings);
    const std::uint32_t seed = options.Seed.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
    SeedScene(scene, seed);
    return seed;
}

std::string NotEnoughMemoryText(const Scene& scene)
{
    return "not enough memory for " + std::to_string(scene.Settings.LeaderCount) + " leaders and "
           + std::to_string(scene.Settings.FollowerCount) + " followers";
}

std::string ShowDetails(std::uint32_t seed, DrawPath path)
{
    return "seed " + std::to_string(seed) + ", " + CurrentRendererName() + ", " + DrawPathName(path) + " path";
}

RgbImage ReadCurrentPicture(int width, int height)
{
    RgbImage image;
    image.Width = width;
    image.Height = height;
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height));
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // OpenGL's first row is the bottom one; a picture file starts at the top.
    image.Pixels.resize(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.Pixels.data() + static_cast<std::size_t>(y) * row,
                    bottomUp.data() + static_cast<std::size_t>(height - 1 - y) * row, row);
    }
    return image;
}

} // namespace vessmark
