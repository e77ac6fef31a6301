#pragma once
// The dialog's pictures, drawn from shapes at whatever size the screen's
// resolution asks for, so that they stay sharp when they scale: the two
// selection marks (12 x 12 pixels at 96 dots per inch) and the window's icon
// (32 x 32). Edges are anti-aliased into the alpha channel.

#include <cstdint>
#include <vector>

namespace vessmark {

inline constexpr int MarkPictureTwips = 180; // 12 pixels at 15 twips a pixel
inline constexpr int DialogIconSize = 32;

// Pixels as 0xAARRGGBB with straight (not premultiplied) alpha, rows top to bottom.
struct PictureImage {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
    std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y * Width + x)]; }
};

// A round mark: a dark ring on white, with a dark blue dot in the middle
// when selected.
PictureImage DrawMarkPicture(bool selected, int size);

// The dialog's icon: an eighth-note pair on a rounded square shaded like the
// dialog's background.
PictureImage DrawDialogIcon(int size);

} // namespace vessmark
