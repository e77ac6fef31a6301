#include "fps_overlay.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

TEST(FpsCounter, ShowsNothingUntilAWholeSecondHasBeenCounted)
{
    FpsCounter counter;
    EXPECT_EQ(counter.Text(), "FPS: -");
    counter.Frame(10.0);
    for (int i = 1; i < 30; ++i) {
        counter.Frame(10.0 + i / 30.0);
    }
    EXPECT_FALSE(counter.Rate()) << "29 frames in 0.97 s";
    counter.Frame(11.0);
    ASSERT_TRUE(counter.Rate());
    EXPECT_DOUBLE_EQ(*counter.Rate(), 30.0);
    EXPECT_EQ(counter.Text(), "FPS: 30.0");
}

TEST(FpsCounter, EachFigureCountsOnlyItsOwnSpan)
{
    FpsCounter counter;
    counter.Frame(0.0);
    counter.Frame(0.5);
    counter.Frame(1.0); // 2 frames in 1 s
    EXPECT_DOUBLE_EQ(*counter.Rate(), 2.0);
    counter.Frame(1.2);
    EXPECT_DOUBLE_EQ(*counter.Rate(), 2.0) << "the shown figure waits for the next whole second";
    counter.Frame(2.5); // 2 frames in 1.5 s, the second after a pause
    EXPECT_DOUBLE_EQ(*counter.Rate(), 2.0 / 1.5);
    EXPECT_EQ(counter.Text(), "FPS: 1.3");
}

TEST(FpsOverlay, EveryCharacterTheCounterWritesHasAGlyph)
{
    FpsCounter counter;
    std::string written = counter.Text();
    counter.Frame(0.0);
    for (int i = 1; i <= 1234; ++i) {
        counter.Frame(i / 1000.0 * 1.0005);
    }
    written += counter.Text();
    written += "0123456789";
    for (const char c : written) {
        EXPECT_TRUE(FpsGlyph(c).has_value()) << "'" << c << "'";
    }
    EXPECT_FALSE(FpsGlyph('x').has_value());
}

TEST(FpsOverlay, DigitsAreAllDifferentAndFitTheirCell)
{
    for (char a = '0'; a <= '9'; ++a) {
        const Glyph glyph = *FpsGlyph(a);
        for (const auto row : glyph) {
            EXPECT_LT(row, 1 << GlyphColumns) << "'" << a << "' wider than its cell";
        }
        for (char b = static_cast<char>(a + 1); b <= '9'; ++b) {
            EXPECT_NE(glyph, *FpsGlyph(b)) << "'" << a << "' and '" << b << "' look alike";
        }
    }
}

} // namespace
} // namespace vessmark
