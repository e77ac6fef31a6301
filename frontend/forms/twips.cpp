#include "twips.h"

#include <cstdint>

namespace vessmark::forms {

namespace {
int Usable(int dpi) { return dpi > 0 ? dpi : StandardDpi; }

// numerator / denominator rounded to the nearest integer, halves away from
// zero, in integers so that 718.5 is exactly a half.
int RoundedQuotient(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t half = denominator / 2;
    return static_cast<int>(numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator));
}
} // namespace

int TwipsToPixels(int twips, int dpi)
{
    return RoundedQuotient(static_cast<std::int64_t>(twips) * Usable(dpi), TwipsPerInch);
}

int PixelsToTwips(int pixels, int dpi)
{
    return RoundedQuotient(static_cast<std::int64_t>(pixels) * TwipsPerInch, Usable(dpi));
}

PixelRect ControlPixels(const TwipRect& twips, int dpi)
{
    return {TwipsToPixels(twips.Left, dpi), TwipsToPixels(twips.Top, dpi), TwipsToPixels(twips.Width, dpi),
            TwipsToPixels(twips.Height, dpi)};
}

PixelSize WindowSizeFor(int clientWidthTwips, int clientHeightTwips, int dpi, PixelSize frame)
{
    return {TwipsToPixels(clientWidthTwips, dpi) + frame.Width, TwipsToPixels(clientHeightTwips, dpi) + frame.Height};
}

int CreationDpi(int windowDpi, int systemDpi)
{
    return windowDpi > 0 ? windowDpi : Usable(systemDpi);
}

int DpiCarried(std::uint64_t carried, int current)
{
    const int dpi = static_cast<int>(carried & 0xFFFFu);
    return dpi > 0 ? dpi : Usable(current);
}

PixelRect TilePixels(const TwipRect& twips, int dpi)
{
    const int left = TwipsToPixels(twips.Left, dpi);
    const int top = TwipsToPixels(twips.Top, dpi);
    return {left, top, TwipsToPixels(twips.Left + twips.Width, dpi) - left,
            TwipsToPixels(twips.Top + twips.Height, dpi) - top};
}

} // namespace vessmark::forms
