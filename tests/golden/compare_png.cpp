// Compares a drawn frame with its golden picture. Software rasterisers of
// different versions place an antialiased edge or a thin line a little
// differently, so a pixel counts as different only beyond a per-channel
// tolerance, and a small share of different pixels is allowed. A change in the
// show's motion or colours changes far more than that.
//
// Usage: golden_compare GOLDEN.png FRAME.png DIFFERENCE.png
// Exit status 0 when the frame matches; otherwise the difference picture shows
// the different pixels in white.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "png_file.h"

namespace {
constexpr int ChannelTolerance = 8;    // of 255
constexpr double AllowedShare = 0.005; // of all pixels
} // namespace

int main(int argc, char** argv)
{
    using vessmark::RgbImage;
    if (argc != 4) {
        std::fprintf(stderr, "usage: golden_compare GOLDEN.png FRAME.png DIFFERENCE.png\n");
        return 2;
    }
    RgbImage golden;
    RgbImage frame;
    for (const auto& [path, image] : {std::pair{argv[1], &golden}, std::pair{argv[2], &frame}}) {
        if (const std::string error = vessmark::ReadPng(path, *image); !error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }
    if (golden.Width != frame.Width || golden.Height != frame.Height) {
        std::fprintf(stderr, "size %dx%d, golden %dx%d\n", frame.Width, frame.Height, golden.Width, golden.Height);
        return 1;
    }

    RgbImage difference{frame.Width, frame.Height, std::vector<std::uint8_t>(frame.Pixels.size(), 0)};
    long long different = 0;
    int largest = 0;
    for (std::size_t pixel = 0; pixel < frame.Pixels.size(); pixel += 3) {
        int worst = 0;
        for (std::size_t channel = 0; channel < 3; ++channel) {
            worst = std::max(worst, std::abs(frame.Pixels[pixel + channel] - golden.Pixels[pixel + channel]));
        }
        largest = std::max(largest, worst);
        if (worst > ChannelTolerance) {
            ++different;
            difference.Pixels[pixel] = difference.Pixels[pixel + 1] = difference.Pixels[pixel + 2] = 255;
        }
    }
    const long long total = static_cast<long long>(frame.Width) * frame.Height;
    const double share = static_cast<double>(different) / static_cast<double>(total);
    std::printf("%lld of %lld pixels differ by more than %d (%.3f%%, allowed %.3f%%); largest difference %d\n",
                different, total, ChannelTolerance, share * 100.0, AllowedShare * 100.0, largest);
    if (share <= AllowedShare) {
        return 0;
    }
    if (const std::string error = vessmark::WritePng(argv[3], difference); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    return 1;
}
