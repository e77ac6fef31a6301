#include "skin_pictures.h"

#include <algorithm>

namespace vessmark {

namespace {
constexpr Rgb FrameBlue{0, 60, 116};
constexpr Rgb PlainFace{243, 243, 238};

const SkinColours NormalColours{
    1, FrameBlue, PlainFace,
    {PlainFace, PlainFace},
    {Rgb{226, 223, 214}, Rgb{214, 208, 197}}, // shadow
    {Rgb{244, 244, 240}, Rgb{244, 244, 240}},
    {Rgb{238, 237, 231}, Rgb{238, 237, 231}},
};

const SkinColours HighLightColours{
    1, FrameBlue, PlainFace,
    {Rgb{255, 240, 207}, Rgb{253, 216, 137}},
    {Rgb{248, 179, 48}, Rgb{229, 151, 0}},
    {Rgb{252, 202, 105}, Rgb{252, 202, 105}},
    {Rgb{252, 202, 105}, Rgb{252, 202, 105}},
};

const SkinColours SelectedColours{
    1, FrameBlue, PlainFace,
    {Rgb{206, 231, 255}, Rgb{206, 231, 255}},
    {Rgb{105, 130, 238}, Rgb{105, 130, 238}},
    {Rgb{169, 197, 239}, Rgb{169, 197, 239}},
    {Rgb{169, 197, 239}, Rgb{169, 197, 239}},
};

// The whole frame a pixel further in: one band pixel fits inside the four
// that are shown; the second entry of each band lies in the face.
constexpr Rgb PressedFace{226, 225, 217};
const SkinColours PressedColours{
    2, FrameBlue, PressedFace,
    {Rgb{209, 204, 193}, PressedFace}, // inner shade
    {PressedFace, Rgb{242, 241, 238}},
    {Rgb{215, 212, 203}, PressedFace},
    {PressedFace, Rgb{228, 227, 220}},
};

constexpr Rgb DisabledFace{245, 244, 234};
const SkinColours DisableColours{
    1, Rgb{201, 199, 186}, DisabledFace,
    {DisabledFace, DisabledFace},
    {DisabledFace, DisabledFace},
    {DisabledFace, DisabledFace},
    {DisabledFace, DisabledFace},
};

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, int weightOfB, int total)
{
    return static_cast<std::uint8_t>((a * (total - weightOfB) + b * weightOfB + total / 2) / total);
}

Rgb Mix(Rgb a, Rgb b, int weightOfB, int total)
{
    return {Mix(a.Red, b.Red, weightOfB, total), Mix(a.Green, b.Green, weightOfB, total),
            Mix(a.Blue, b.Blue, weightOfB, total)};
}

// Where a pixel lies relative to the frame line: 0 on it, 1 and 2 in the
// bands just inside, more in the face; negative outside.
int DepthInside(int x, int y, int margin)
{
    const int fromLeft = x - margin;
    const int fromRight = SkinPictureWidth - 1 - margin - x;
    const int fromTop = y - margin;
    const int fromBottom = SkinPictureHeight - 1 - margin - y;
    return std::min(std::min(fromLeft, fromRight), std::min(fromTop, fromBottom));
}
} // namespace

const SkinColours& ColoursOf(Skin skin)
{
    switch (skin) {
    case Skin::HighLight:
    case Skin::HighLightSelect: // the same picture: hovering looks alike with or without the focus
        return HighLightColours;
    case Skin::Selected:
        return SelectedColours;
    case Skin::Pressed:
        return PressedColours;
    case Skin::Disable:
        return DisableColours;
    case Skin::Normal:
    default:
        return NormalColours;
    }
}

SkinPicture DrawSkinPicture(Skin skin)
{
    const SkinColours& c = ColoursOf(skin);
    const int m = c.Margin;
    const int right = SkinPictureWidth - 1 - m;
    const int bottom = SkinPictureHeight - 1 - m;
    SkinPicture picture;
    for (int y = 0; y < SkinPictureHeight; ++y) {
        const Rgb background = Mix(MarginTop, MarginBottom, y, SkinPictureHeight - 1);
        for (int x = 0; x < SkinPictureWidth; ++x) {
            const int depth = DepthInside(x, y, m);
            Rgb colour = c.Face;
            if (depth < 0) {
                colour = background;
            } else if (depth == 0) {
                const bool corner = (x == m || x == right) && (y == m || y == bottom);
                colour = corner ? Mix(c.Line, background, 1, 2) : c.Line; // rounded corners
            } else if (y - m <= 2) {
                colour = c.Top[static_cast<std::size_t>(y - m - 1)];
            } else if (bottom - y <= 2) {
                colour = c.Bottom[static_cast<std::size_t>(1 - (bottom - y - 1))];
            } else if (x - m <= 2) {
                colour = c.Left[static_cast<std::size_t>(x - m - 1)];
            } else if (right - x <= 2) {
                colour = c.Right[static_cast<std::size_t>(1 - (right - x - 1))];
            }
            picture.Pixels[static_cast<std::size_t>(y * SkinPictureWidth + x)] = colour;
        }
    }
    return picture;
}

} // namespace vessmark
