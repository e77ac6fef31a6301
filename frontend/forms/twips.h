#pragma once
// Twips, the form layer's unit of geometry: 1440 to the inch, so 15 to a pixel
// at 96 dots per inch and 10 at 144. Everything a form stores is in twips;
// the window system wants pixels at the window's real resolution.

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

// A piece of a tiling: its edges rounded, so that pieces that meet in twips
// meet in pixels too, with no gap and no overlap.
PixelRect TilePixels(const TwipRect& twips, int dpi);

} // namespace vessmark::forms
