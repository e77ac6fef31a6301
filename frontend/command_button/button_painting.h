#pragma once
// How the gradient button's face is put together, in numbers: the colour
// texts of the gradient, the gradient's two corners, the eight frame pieces
// taken from a skin picture, and where the caption sits. The window code
// performs these; nothing here draws.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "forms/twips.h"

namespace vessmark {

// The six skin pictures, one per look of the face.
enum class Skin { Normal, HighLight, Selected, HighLightSelect, Pressed, Disable };

// SkinState: which look the button has when nothing is held down.
inline constexpr std::uint8_t SkinNotStarted = 0;
inline constexpr std::uint8_t SkinNormal = 1;          // neither hovered nor focused
inline constexpr std::uint8_t SkinHighLight = 2;       // pointer over it, no focus
inline constexpr std::uint8_t SkinSelected = 3;        // focus, pointer elsewhere
inline constexpr std::uint8_t SkinHighLightSelect = 4; // focus and pointer over it

// The gradient's direction for a state: the hovered-only look turns it over;
// HighLightSelect (and a button not started) keeps the direction it had, so
// it stays reversed when reached from HighLight and normal when reached from
// Selected.
bool GradientReversedFor(std::uint8_t skinState, bool reversedNow);

// --- the gradient -------------------------------------------------------------

// The two colours as texts, red first: "&HRRGGBB".
inline constexpr char GradientWhite[] = "&HFFFFFF";
inline constexpr char FaceTint[] = "&HC6C5D7"; // a light bluish grey

// A colour as the gradient fill takes it: each channel's byte in the high
// byte of 16 bits.
struct ChannelColour {
    std::uint16_t Red = 0;
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    bool operator==(const ChannelColour&) const = default;
};

// "&H" and up to six hexadecimal digits read as red, green and blue pairs in
// that order (so "&HC6C5D7" is red C6, green C5, blue D7); fewer digits count
// as leading zeros. Anything else gives nothing.
std::optional<ChannelColour> ChannelsFromColourText(std::string_view text);

struct GradientVertex {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    ChannelColour Colour;
    std::uint16_t Alpha = 0;
};

// The two corners of the vertical fill of a surface w x h pixels: (0, 0) and
// (w - 1, h - 1). White on top unless reversed. Nothing when a colour text
// cannot be read.
std::optional<std::array<GradientVertex, 2>> GradientVertices(int widthPixels, int heightPixels, bool reversed);

// --- the frame --------------------------------------------------------------------

// A skin picture is 64 x 25 pixels and counts as 960 x 375 twips at every
// resolution; its outer 60 twips (4 of its pixels) on each side are the frame.
inline constexpr int SkinPictureWidth = 64;
inline constexpr int SkinPictureHeight = 25;
inline constexpr int SkinTwipsPerPixel = 15;
inline constexpr int SkinPictureWidthTwips = SkinPictureWidth * SkinTwipsPerPixel;   // 960
inline constexpr int SkinPictureHeightTwips = SkinPictureHeight * SkinTwipsPerPixel; // 375
inline constexpr int FrameBandTwips = 60;

struct FramePiece {
    forms::TwipRect Destination; // on the button's surface, twips
    forms::TwipRect Source;      // in the skin picture, twips
};

// The eight pieces of a frame around a surface W x H twips: corners copied,
// edges stretched, in the order top-left, top, top-right, right,
// bottom-right, bottom, bottom-left, left. The middle is left to the gradient.
std::array<FramePiece, 8> FramePieces(int widthTwips, int heightTwips);

// A piece in pixels: its destination at the window's resolution (edges
// rounded, so the pieces tile), its source in the picture's own pixels.
struct PixelPiece {
    forms::PixelRect Destination;
    forms::PixelRect Source;
};
PixelPiece PiecePixels(const FramePiece& piece, int dpi);

// --- the caption ------------------------------------------------------------------

// The caption label as designed is 195 twips high.
inline constexpr int CaptionLabelHeightTwips = 195;

// The caption label spans the whole width; its top puts the text 10 twips
// above the button's vertical middle.
double CaptionTopTwips(double heightTwips, double labelHeightTwips = CaptionLabelHeightTwips);

} // namespace vessmark
