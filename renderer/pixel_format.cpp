#include "pixel_format.h"

namespace vessmark {

namespace {
constexpr std::uint32_t RequiredFlags = PfdSupportOpenGL | PfdDrawToWindow | PfdDoubleBuffer;
constexpr int DriverFormatBonus = 2000;
constexpr int GenericAcceleratedBonus = 1000;
} // namespace

std::optional<int> ScorePixelFormat(const PixelFormatTraits& format)
{
    if ((format.Flags & RequiredFlags) != RequiredFlags || format.PixelType != PfdTypeRgba) {
        return std::nullopt;
    }
    int score = format.ColorBits + 2 * format.DepthBits;
    if (format.ColorBits > 16) {
        score += (16 - format.ColorBits) / 2; // colour beyond 16 bits counts half
    }
    if ((format.Flags & PfdGenericFormat) == 0) {
        score += DriverFormatBonus;
    } else if ((format.Flags & PfdGenericAccelerated) != 0) {
        score += GenericAcceleratedBonus;
    }
    return score;
}

int ChooseBestPixelFormat(const std::function<std::optional<PixelFormatTraits>(int)>& describe)
{
    int bestScore = 0;
    int chosen = 0;
    for (int index = 1;; ++index) {
        const std::optional<PixelFormatTraits> format = describe(index);
        if (!format) {
            break;
        }
        const std::optional<int> score = ScorePixelFormat(*format);
        if (score && *score > bestScore) {
            bestScore = *score;
            chosen = index;
        }
    }
    return chosen;
}

} // namespace vessmark
