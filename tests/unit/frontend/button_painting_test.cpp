#include "button_painting.h"
#include "skin_pictures.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace vessmark {
namespace {

using forms::PixelRect;
using forms::TwipRect;

std::vector<PixelPiece> PixelPieces(int widthTwips, int heightTwips, int dpi)
{
    std::vector<PixelPiece> pieces;
    for (const FramePiece& piece : FramePieces(widthTwips, heightTwips)) {
        pieces.push_back(PiecePixels(piece, dpi));
    }
    return pieces;
}

TEST(FramePieces, A1035By375ButtonStretchesOnlyTheTopAndBottomEdges)
{
    const auto twips = FramePieces(1035, 375);
    EXPECT_EQ(twips[1].Destination, (TwipRect{60, 0, 915, 60}));
    EXPECT_EQ(twips[3].Destination, (TwipRect{975, 60, 60, 255}));
    EXPECT_EQ(twips[4].Source, (TwipRect{900, 315, 60, 60}));

    const auto pixels = PixelPieces(1035, 375, 96); // 69 x 25 pixels
    const std::pair<PixelRect, PixelRect> expected[] = {
        {{0, 0, 4, 4}, {0, 0, 4, 4}},      {{4, 0, 61, 4}, {4, 0, 56, 4}},   {{65, 0, 4, 4}, {60, 0, 4, 4}},
        {{65, 4, 4, 17}, {60, 4, 4, 17}},  {{65, 21, 4, 4}, {60, 21, 4, 4}}, {{4, 21, 61, 4}, {4, 21, 56, 4}},
        {{0, 21, 4, 4}, {0, 21, 4, 4}},    {{0, 4, 4, 17}, {0, 4, 4, 17}},
    };
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pixels[i].Destination, expected[i].first);
        EXPECT_EQ(pixels[i].Source, expected[i].second);
    }
}

TEST(FramePieces, TheDialogsSmallestButtonHasA195TwipMiddleAndItsCaptionAt50)
{
    const auto pieces = FramePieces(435, 315);
    EXPECT_EQ(pieces[7].Destination, (TwipRect{0, 60, 60, 195}));
    EXPECT_EQ(pieces[5].Destination, (TwipRect{60, 255, 315, 60}));
    EXPECT_DOUBLE_EQ(CaptionTopTwips(315), 50.0);
    EXPECT_DOUBLE_EQ(CaptionTopTwips(375), 80.0);
}

// Every pixel of the border is covered exactly once, and the middle not at all.
void ExpectPiecesTile(int widthTwips, int heightTwips, int dpi)
{
    const int w = forms::TwipsToPixels(widthTwips, dpi);
    const int h = forms::TwipsToPixels(heightTwips, dpi);
    const int band = forms::TwipsToPixels(FrameBandTwips, dpi);
    std::vector<int> cover(static_cast<std::size_t>(w * h), 0);
    for (const PixelPiece& piece : PixelPieces(widthTwips, heightTwips, dpi)) {
        for (int y = piece.Destination.Top; y < piece.Destination.Top + piece.Destination.Height; ++y) {
            for (int x = piece.Destination.Left; x < piece.Destination.Left + piece.Destination.Width; ++x) {
                ++cover[static_cast<std::size_t>(y * w + x)];
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool border = x < band || y < band || x >= w - band || y >= h - band;
            ASSERT_EQ(cover[static_cast<std::size_t>(y * w + x)], border ? 1 : 0)
                << "pixel " << x << "," << y << " of " << w << "x" << h << " at " << dpi << " dpi";
        }
    }
}

TEST(FramePieces, TileTheBorderAtEveryResolution)
{
    for (const int dpi : {96, 120, 144, 192}) {
        ExpectPiecesTile(1035, 375, dpi);
        ExpectPiecesTile(1040, 380, dpi); // a 144-dpi button's size read back from its pixels
        ExpectPiecesTile(435, 315, dpi);
        ExpectPiecesTile(1755, 420, dpi);
    }
    EXPECT_EQ(PixelPieces(1035, 375, 144)[0].Destination, (PixelRect{0, 0, 6, 6}));
    EXPECT_EQ(PixelPieces(1035, 375, 144)[0].Source, (PixelRect{0, 0, 4, 4})) << "scaled from the picture";
}

TEST(ColourText, ReadsRedGreenBlueInThatOrderIntoTheHighByte)
{
    struct Case {
        const char* Text;
        std::optional<ChannelColour> Expected;
    };
    const Case cases[] = {
        {"&HFFFFFF", ChannelColour{0xFF00, 0xFF00, 0xFF00}},
        {"&HC6C5D7", ChannelColour{0xC600, 0xC500, 0xD700}},
        {"&hc6c5d7", ChannelColour{0xC600, 0xC500, 0xD700}},
        {"&H00C0FF", ChannelColour{0x0000, 0xC000, 0xFF00}}, // leading zeros keep the pairs in place
        {"&H80", ChannelColour{0, 0, 0x8000}},
        {"FFFFFF", std::nullopt},
        {"&H", std::nullopt},
        {"&HGG0000", std::nullopt},
        {"&H1000000", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChannelsFromColourText(c.Text), c.Expected) << c.Text;
    }
}

TEST(Gradient, RunsFromCornerToCornerWhiteOnTopUnlessReversed)
{
    const auto normal = GradientVertices(69, 25, false);
    ASSERT_TRUE(normal);
    EXPECT_EQ((*normal)[0].X, 0);
    EXPECT_EQ((*normal)[0].Y, 0);
    EXPECT_EQ((*normal)[1].X, 68);
    EXPECT_EQ((*normal)[1].Y, 24);
    EXPECT_EQ((*normal)[0].Colour, (ChannelColour{0xFF00, 0xFF00, 0xFF00}));
    EXPECT_EQ((*normal)[1].Colour, (ChannelColour{0xC600, 0xC500, 0xD700}));
    EXPECT_EQ((*normal)[0].Alpha, 0);
    const auto reversed = GradientVertices(69, 25, true);
    EXPECT_EQ((*reversed)[0].Colour, (*normal)[1].Colour);
    EXPECT_EQ((*reversed)[1].Colour, (*normal)[0].Colour);
}

TEST(Gradient, DirectionFollowsTheStateAndHighLightSelectKeepsTheOneBefore)
{
    for (const bool before : {false, true}) {
        EXPECT_FALSE(GradientReversedFor(SkinNormal, before));
        EXPECT_TRUE(GradientReversedFor(SkinHighLight, before));
        EXPECT_FALSE(GradientReversedFor(SkinSelected, before));
        EXPECT_EQ(GradientReversedFor(SkinHighLightSelect, before), before);
        EXPECT_EQ(GradientReversedFor(SkinNotStarted, before), before);
    }
}

// --- the skin pictures -----------------------------------------------------------

struct SideColours {
    Skin Picture;
    int Margin;
    Rgb Line;
    std::vector<Rgb> Top;    // rows inside the top line, outside in (those within 4 pixels)
    std::vector<Rgb> Bottom; // rows above the bottom line, top to bottom
    Rgb Left;                // first column inside the left line
    Rgb Right;               // first column inside the right line
};

const Rgb Blue{0, 60, 116};

const SideColours Table[] = {
    {Skin::Normal, 1, Blue, {{243, 243, 238}, {243, 243, 238}}, {{226, 223, 214}, {214, 208, 197}},
     {244, 244, 240}, {238, 237, 231}},
    {Skin::HighLight, 1, Blue, {{255, 240, 207}, {253, 216, 137}}, {{248, 179, 48}, {229, 151, 0}},
     {252, 202, 105}, {252, 202, 105}},
    {Skin::HighLightSelect, 1, Blue, {{255, 240, 207}, {253, 216, 137}}, {{248, 179, 48}, {229, 151, 0}},
     {252, 202, 105}, {252, 202, 105}},
    {Skin::Selected, 1, Blue, {{206, 231, 255}, {206, 231, 255}}, {{105, 130, 238}, {105, 130, 238}},
     {169, 197, 239}, {169, 197, 239}},
    {Skin::Pressed, 2, Blue, {{209, 204, 193}}, {{242, 241, 238}}, {215, 212, 203}, {228, 227, 220}},
    {Skin::Disable, 1, {201, 199, 186}, {{245, 244, 234}, {245, 244, 234}}, {{245, 244, 234}, {245, 244, 234}},
     {245, 244, 234}, {245, 244, 234}},
};

bool Beige(Rgb c)
{
    return c.Red >= 220 && c.Red <= 250 && c.Green >= 214 && c.Green <= 250 && c.Blue >= 194 && c.Blue <= 246 &&
           c.Red >= c.Blue;
}

TEST(SkinPictures, MatchTheColourTableAtTheMiddleOfEachSide)
{
    constexpr int MidX = SkinPictureWidth / 2;
    constexpr int MidY = SkinPictureHeight / 2;
    constexpr int Right = SkinPictureWidth - 1;
    constexpr int Bottom = SkinPictureHeight - 1;
    for (const SideColours& c : Table) {
        SCOPED_TRACE(static_cast<int>(c.Picture));
        const SkinPicture p = DrawSkinPicture(c.Picture);
        for (int i = 0; i < c.Margin; ++i) {
            EXPECT_TRUE(Beige(p.At(MidX, i)) && Beige(p.At(MidX, Bottom - i)) && Beige(p.At(i, MidY)) &&
                        Beige(p.At(Right - i, MidY)))
                << "margin " << i;
        }
        const int m = c.Margin;
        EXPECT_EQ(p.At(MidX, m), c.Line);
        EXPECT_EQ(p.At(MidX, Bottom - m), c.Line);
        EXPECT_EQ(p.At(m, MidY), c.Line);
        EXPECT_EQ(p.At(Right - m, MidY), c.Line);
        for (std::size_t i = 0; i < c.Top.size(); ++i) {
            EXPECT_EQ(p.At(MidX, m + 1 + static_cast<int>(i)), c.Top[i]) << "top " << i;
            EXPECT_EQ(p.At(MidX, Bottom - m - static_cast<int>(c.Bottom.size()) + static_cast<int>(i)), c.Bottom[i])
                << "bottom " << i;
        }
        EXPECT_EQ(p.At(m + 1, MidY), c.Left);
        EXPECT_EQ(p.At(Right - m - 1, MidY), c.Right);
    }
}

TEST(SkinPictures, HighLightAndHighLightSelectAreOneAndTheCornersAreRounded)
{
    EXPECT_EQ(DrawSkinPicture(Skin::HighLight).Pixels, DrawSkinPicture(Skin::HighLightSelect).Pixels);
    std::set<std::tuple<int, int, int>> distinct;
    for (const Skin skin : {Skin::Normal, Skin::HighLight, Skin::Selected, Skin::Pressed, Skin::Disable}) {
        const SkinPicture p = DrawSkinPicture(skin);
        const int m = ColoursOf(skin).Margin;
        EXPECT_NE(p.At(m, m), ColoursOf(skin).Line) << "the corner of the line is softened";
        EXPECT_EQ(p.At(m + 1, m), ColoursOf(skin).Line);
        const Rgb top = p.At(SkinPictureWidth / 2, m + 1);
        distinct.insert({top.Red, top.Green, top.Blue});
    }
    EXPECT_EQ(distinct.size(), 5u) << "each look is told apart by the row under its top line";
}

} // namespace
} // namespace vessmark
