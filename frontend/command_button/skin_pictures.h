#pragma once
// The six skin pictures of the gradient button, drawn from their colour
// table: 64 x 25 pixels each, a small push button on the light beige of the
// dialog's background. Only the outer four pixels on each side are ever shown
// (the frame pieces); the rest is the plain face.

#include <array>
#include <cstdint>

#include "button_painting.h"

namespace vessmark {

struct Rgb {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct SkinPicture {
    std::array<Rgb, SkinPictureWidth * SkinPictureHeight> Pixels{}; // rows top to bottom
    Rgb At(int x, int y) const { return Pixels[static_cast<std::size_t>(y * SkinPictureWidth + x)]; }
};

// The colours of one picture. Bands are the two pixels just inside the frame
// line (one for Pressed, whose frame sits a pixel further in), listed top to
// bottom or left to right.
struct SkinColours {
    int Margin = 1;             // pixels outside the frame line
    Rgb Line;                   // the frame line
    Rgb Face;                   // everything inside the bands
    std::array<Rgb, 2> Top;     // the rows just below the top line
    std::array<Rgb, 2> Bottom;  // the rows just above the bottom line
    std::array<Rgb, 2> Left;    // the columns right of the left line
    std::array<Rgb, 2> Right;   // the columns left of the right line
};

// The background outside the frame line goes from the lighter of these at
// the top to the darker at the bottom.
inline constexpr Rgb MarginTop{250, 250, 246};
inline constexpr Rgb MarginBottom{220, 214, 194};

const SkinColours& ColoursOf(Skin skin);
SkinPicture DrawSkinPicture(Skin skin);

} // namespace vessmark
