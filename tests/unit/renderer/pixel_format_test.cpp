#include "pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace vessmark {
namespace {

constexpr std::uint32_t Usable = PfdSupportOpenGL | PfdDrawToWindow | PfdDoubleBuffer;

PixelFormatTraits Driver(std::uint8_t colour, std::uint8_t depth) { return {Usable, PfdTypeRgba, colour, depth}; }
PixelFormatTraits GenericAccelerated(std::uint8_t colour, std::uint8_t depth)
{
    return {Usable | PfdGenericFormat | PfdGenericAccelerated, PfdTypeRgba, colour, depth};
}
PixelFormatTraits Software(std::uint8_t colour, std::uint8_t depth)
{
    return {Usable | PfdGenericFormat, PfdTypeRgba, colour, depth};
}

int Choose(const std::vector<PixelFormatTraits>& formats)
{
    return ChooseBestPixelFormat([&](int index) -> std::optional<PixelFormatTraits> {
        if (index < 1 || index > static_cast<int>(formats.size())) {
            return std::nullopt;
        }
        return formats[static_cast<std::size_t>(index - 1)];
    });
}

TEST(PixelFormatScore, WorkedExamples)
{
    EXPECT_EQ(ScorePixelFormat(Driver(32, 24)), 2072);
    EXPECT_EQ(ScorePixelFormat(Driver(16, 16)), 2048);
    EXPECT_EQ(ScorePixelFormat(GenericAccelerated(16, 16)), 1048);
    EXPECT_EQ(ScorePixelFormat(Software(24, 32)), 84);
}

TEST(PixelFormatScore, ColourBeyondSixteenBitsCountsHalfTruncatingTowardZero)
{
    EXPECT_EQ(ScorePixelFormat(Software(17, 0)), 17);      // (16 - 17) / 2 == 0
    EXPECT_EQ(ScorePixelFormat(Software(19, 0)), 19 - 1);  // -3 / 2 == -1
    EXPECT_EQ(ScorePixelFormat(Software(8, 0)), 8);        // below 16: no change
}

TEST(PixelFormatScore, FilterNeedsOpenGLWindowDoubleBufferAndRgba)
{
    const std::uint32_t required[] = {PfdSupportOpenGL, PfdDrawToWindow, PfdDoubleBuffer};
    for (std::uint32_t flag : required) {
        PixelFormatTraits format = Driver(32, 24);
        format.Flags &= ~flag;
        EXPECT_FALSE(ScorePixelFormat(format)) << "without flag " << flag;
    }
    PixelFormatTraits indexed = Driver(32, 24);
    indexed.PixelType = 1; // colour index
    EXPECT_FALSE(ScorePixelFormat(indexed));
}

TEST(PixelFormatChoice, BestScoreWinsAndEqualScoresKeepTheLowerIndex)
{
    EXPECT_EQ(Choose({Software(24, 32), Driver(16, 16), GenericAccelerated(16, 16)}), 2);
    EXPECT_EQ(Choose({Software(24, 32), Driver(16, 16), Driver(16, 16)}), 2);
    EXPECT_EQ(Choose({Software(16, 16), Driver(32, 24), Driver(16, 16)}), 2);
}

TEST(PixelFormatChoice, OnlySoftwareFormatsTakeTheBestOfThem)
{
    EXPECT_EQ(Choose({Software(16, 16), Software(24, 32), Software(32, 24)}), 2);
}

TEST(PixelFormatChoice, NothingQualifyingGivesZeroAndTheFallbackRequest)
{
    PixelFormatTraits single = Driver(32, 24);
    single.Flags &= ~PfdDoubleBuffer;
    EXPECT_EQ(Choose({single, {Usable, 1, 32, 24}}), 0);
    EXPECT_EQ(Choose({}), 0);

    EXPECT_EQ(FallbackPixelFormat.Flags, 0x25u);
    EXPECT_EQ(FallbackPixelFormat.PixelType, PfdTypeRgba);
    EXPECT_EQ(FallbackPixelFormat.ColorBits, 24);
    EXPECT_EQ(FallbackPixelFormat.DepthBits, 24);
}

TEST(PixelFormatChoice, StopsAtTheFirstIndexThatDescribesNothing)
{
    int asked = 0;
    const int chosen = ChooseBestPixelFormat([&](int index) -> std::optional<PixelFormatTraits> {
        asked = index;
        if (index > 3) {
            return std::nullopt;
        }
        return Driver(32, 24);
    });
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(asked, 4);
}

} // namespace
} // namespace vessmark
