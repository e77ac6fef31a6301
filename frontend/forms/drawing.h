#pragma once
// Drawing helpers of the form layer: the persistent surface a window draws
// on and shows when asked to paint, fonts made at a window's resolution, and
// colours as forms store them.

#include <windows.h>

#include <cstdint>

#include "forms/property_storage.h"

namespace vessmark::forms {

// A bitmap of the given size whose pixels the caller writes directly: rows
// top to bottom, bitCount 24 (rows padded to four bytes, blue first) or 32
// (0xAARRGGBB). Null when it cannot be made.
HBITMAP CreateTopDownBitmap(int width, int height, WORD bitCount, void** bits);

// A persistent drawing surface: an off-screen 32-bit picture that keeps what
// was drawn on it until it is drawn over or resized, so a window shows it on
// every WM_PAINT without drawing anything again: nothing flickers, and nothing
// is lost when the window is covered.
class Surface {
public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    // A blank surface of the new size (black); false when it cannot be made.
    bool Resize(int width, int height);
    bool Empty() const { return dc_ == nullptr || width_ <= 0 || height_ <= 0; }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Clear(COLORREF colour);
    // Copies the surface to dc at (x, y).
    void ShowOn(HDC dc, int x = 0, int y = 0) const;

private:
    void Release();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A font made from its description for one resolution, made again only when
// either changes.
class ScaledFont {
public:
    ScaledFont() = default;
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;
    ~ScaledFont();
    HFONT Get(const FontDescription& description, int dpi);

private:
    HFONT font_ = nullptr;
    FontDescription description_;
    int dpi_ = 0;
};

// The pixel height of a font of the given size in points: negative, as
// CreateFont takes a character height, rounded to the nearest pixel.
int FontHeightPixels(double points, int dpi);

// A stored colour (0x00BBGGRR, red in the low byte; with the high bit set, a
// system colour by its index) as a drawing colour.
COLORREF ResolveColour(std::uint32_t colour);

} // namespace vessmark::forms
