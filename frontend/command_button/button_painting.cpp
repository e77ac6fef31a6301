#include "button_painting.h"

namespace vessmark {

bool GradientReversedFor(std::uint8_t skinState, bool reversedNow)
{
    switch (skinState) {
    case SkinNormal:
    case SkinSelected:
        return false;
    case SkinHighLight:
        return true;
    default:
        return reversedNow;
    }
}

namespace {
int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// A byte as the fill wants it: in the high byte, low byte zero.
std::uint16_t Channel(std::uint32_t byte)
{
    return static_cast<std::uint16_t>(byte << 8);
}
} // namespace

std::optional<ChannelColour> ChannelsFromColourText(std::string_view text)
{
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h') || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text.substr(2)) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    // Six digits with their leading zeros: the pairs keep their places, so
    // "&H00C0FF" has no red rather than red C0.
    return ChannelColour{Channel((value >> 16) & 0xFF), Channel((value >> 8) & 0xFF), Channel(value & 0xFF)};
}

std::optional<std::array<GradientVertex, 2>> GradientVertices(int widthPixels, int heightPixels, bool reversed)
{
    const std::optional<ChannelColour> white = ChannelsFromColourText(GradientWhite);
    const std::optional<ChannelColour> tint = ChannelsFromColourText(FaceTint);
    if (!white || !tint) {
        return std::nullopt;
    }
    std::array<GradientVertex, 2> vertices{};
    vertices[0] = {0, 0, reversed ? *tint : *white, 0};
    vertices[1] = {widthPixels - 1, heightPixels - 1, reversed ? *white : *tint, 0};
    return vertices;
}

std::array<FramePiece, 8> FramePieces(int widthTwips, int heightTwips)
{
    constexpr int Band = FrameBandTwips;
    const int w = widthTwips;
    const int h = heightTwips;
    const int middleWidth = w - 2 * Band;
    const int middleHeight = h - 2 * Band;
    constexpr int SourceMiddleWidth = SkinPictureWidthTwips - 2 * Band;   // 840
    constexpr int SourceMiddleHeight = SkinPictureHeightTwips - 2 * Band; // 255
    constexpr int SourceRight = SkinPictureWidthTwips - Band;             // 900
    constexpr int SourceBottom = SkinPictureHeightTwips - Band;           // 315
    return {{
        {{0, 0, Band, Band}, {0, 0, Band, Band}},
        {{Band, 0, middleWidth, Band}, {Band, 0, SourceMiddleWidth, Band}},
        {{w - Band, 0, Band, Band}, {SourceRight, 0, Band, Band}},
        {{w - Band, Band, Band, middleHeight}, {SourceRight, Band, Band, SourceMiddleHeight}},
        {{w - Band, h - Band, Band, Band}, {SourceRight, SourceBottom, Band, Band}},
        {{Band, h - Band, middleWidth, Band}, {Band, SourceBottom, SourceMiddleWidth, Band}},
        {{0, h - Band, Band, Band}, {0, SourceBottom, Band, Band}},
        {{0, Band, Band, middleHeight}, {0, Band, Band, SourceMiddleHeight}},
    }};
}

PixelPiece PiecePixels(const FramePiece& piece, int dpi)
{
    const forms::TwipRect& s = piece.Source;
    return {forms::TilePixels(piece.Destination, dpi),
            {s.Left / SkinTwipsPerPixel, s.Top / SkinTwipsPerPixel, s.Width / SkinTwipsPerPixel,
             s.Height / SkinTwipsPerPixel}};
}

double CaptionTopTwips(double heightTwips, double labelHeightTwips)
{
    return (heightTwips - labelHeightTwips - 20.0) / 2.0;
}

} // namespace vessmark
