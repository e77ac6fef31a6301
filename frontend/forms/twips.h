#pragma once
// Twips, the form layer's unit of geometry: 1440 to the inch, so 15 to a pixel
// at 96 dots per inch and 10 at 144. Everything a form stores is in twips;
// the window system wants pixels at the window's real resolution.

#include <cstdint>

namespace vessmark::forms {

inline constexpr int TwipsPerInch = 1440;
inline constexpr int StandardDpi = 96;

// The nearest whole pixel (halves away from zero) at the given resolution; a
// resolution that is not positive counts as the standard one.
int TwipsToPixels(int twips, int dpi);
// The nearest whole twip of a pixel count.
int PixelsToTwips(int pixels, int dpi);

struct TwipRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct PixelRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const PixelRect&) const = default;
};

// A control's place: position and size each rounded to the nearest pixel, so
// that a control's size in pixels does not depend on where it stands.
PixelRect ControlPixels(const TwipRect& twips, int dpi);

// The whole window's size in pixels that gives its client area the given
// twips at the resolution, with the frame (border, caption) the window has
// around its client area: window size minus client size, in pixels.
struct PixelSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const PixelSize&) const = default;
};
PixelSize WindowSizeFor(int clientWidthTwips, int clientHeightTwips, int dpi, PixelSize frame);

// A top-level form's resolution: the window's own when it is made (the
// system's only when the window tells none), then whatever a change of
// monitor carries: its low 16 bits, the horizontal resolution. A message that
// carries none leaves the resolution as it was.
int CreationDpi(int windowDpi, int systemDpi);
int DpiCarried(std::uint64_t carried, int current);

// A piece of a tiling: its edges rounded, so that pieces that meet in twips
// meet in pixels too, with no gap and no overlap.
PixelRect TilePixels(const TwipRect& twips, int dpi);

} // namespace vessmark::forms
