#include "glx_config.h"

namespace vessmark {

namespace {
constexpr std::uint8_t PfdTypeColourIndex = 1; // a colour-index format, as Windows numbers it

// Colour bits beyond what a descriptor's byte holds cannot occur with real
// visuals; clamp rather than wrap should one ever report more.
std::uint8_t Bits(int value)
{
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}
} // namespace

PixelFormatTraits ToPixelFormat(const GlxConfigTraits& config, std::optional<unsigned long> requiredVisual)
{
    PixelFormatTraits format;
    const bool offered = config.Samples == 0 && (!requiredVisual || config.VisualId == *requiredVisual);
    if (!offered) {
        return format;
    }
    format.Flags = PfdSupportOpenGL;
    if (config.WindowDrawable && config.VisualId != 0) {
        format.Flags |= PfdDrawToWindow;
    }
    if (config.DoubleBuffer) {
        format.Flags |= PfdDoubleBuffer;
    }
    if (config.Slow) {
        format.Flags |= PfdGenericFormat;
    }
    format.PixelType = config.Rgba ? PfdTypeRgba : PfdTypeColourIndex;
    format.ColorBits = Bits(config.BufferSize);
    format.DepthBits = Bits(config.DepthSize);
    return format;
}

std::optional<std::size_t> ChooseGlxConfig(const std::vector<GlxConfigTraits>& configs,
                                           std::optional<unsigned long> requiredVisual)
{
    // The core counts formats from 1, as Windows does.
    const int chosen = ChooseBestPixelFormat([&](int index) -> std::optional<PixelFormatTraits> {
        if (index < 1 || static_cast<std::size_t>(index) > configs.size()) {
            return std::nullopt;
        }
        return ToPixelFormat(configs[static_cast<std::size_t>(index) - 1], requiredVisual);
    });
    if (chosen == 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(chosen) - 1;
}

} // namespace vessmark
