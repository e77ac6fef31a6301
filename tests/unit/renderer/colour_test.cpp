#include "colour.h"

#include <gtest/gtest.h>

#include <ostream>

namespace vessmark {
namespace {

struct HueCase {
    float Hue;
    RgbColour Expected;
};

void PrintTo(const HueCase& c, std::ostream* out) { *out << "h=" << c.Hue; }

class HsvToRgbAtBoundaries : public ::testing::TestWithParam<HueCase> {};

TEST_P(HsvToRgbAtBoundaries, GivesThePureColourOfTheSector)
{
    const HueCase c = GetParam();
    const RgbColour rgb = HsvToRgb(c.Hue, 1.0f, 1.0f);
    EXPECT_NEAR(rgb.R, c.Expected.R, 1e-6f);
    EXPECT_NEAR(rgb.G, c.Expected.G, 1e-6f);
    EXPECT_NEAR(rgb.B, c.Expected.B, 1e-6f);
}

INSTANTIATE_TEST_SUITE_P(SectorBoundaries, HsvToRgbAtBoundaries,
    ::testing::Values(HueCase{0.0f, {1, 0, 0}},        // red
                      HueCase{0.166667f, {1, 1, 0}},   // yellow
                      HueCase{0.333333f, {0, 1, 0}},   // green
                      HueCase{0.5f, {0, 1, 1}},        // cyan
                      HueCase{0.666667f, {0, 0, 1}},   // blue
                      HueCase{0.833333f, {1, 0, 1}},   // magenta
                      // Half way between boundaries the six-digit boundaries show.
                      HueCase{0.25f, {0.500002f, 1, 0}},
                      HueCase{0.75f, {0.499998f, 0, 1}}));

TEST(HsvToRgb, JustBelowABoundaryStaysInTheLowerSector)
{
    // 0.166666 is below the six-digit boundary: still the red-to-yellow
    // sector, green not quite full.
    const RgbColour rgb = HsvToRgb(0.166666f, 1.0f, 1.0f);
    EXPECT_EQ(rgb.R, 1.0f);
    EXPECT_LT(rgb.G, 1.0f);
    EXPECT_NEAR(rgb.G, 0.999996f, 1e-6f);
}

TEST(HsvToRgb, HueOneLandsAHairPastMagentaUnclamped)
{
    const RgbColour rgb = HsvToRgb(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(rgb.R, 1.0f);
    EXPECT_EQ(rgb.G, 0.0f);
    EXPECT_LT(rgb.B, 0.0f);
    EXPECT_NEAR(rgb.B, -0.000002f, 5e-7f);
}

TEST(HsvToRgb, HueOutsideTheCircleIsNotClamped)
{
    EXPECT_NEAR(HsvToRgb(-0.01f, 1.0f, 1.0f).G, -0.06f, 1e-6f);
}

TEST(HsvToRgb, SaturationFadesTowardWhiteAndValueDarkens)
{
    const RgbColour pale = HsvToRgb(0.0f, 0.5f, 1.0f);
    EXPECT_FLOAT_EQ(pale.R, 1.0f);
    EXPECT_FLOAT_EQ(pale.G, 0.5f);
    EXPECT_FLOAT_EQ(pale.B, 0.5f);
    const RgbColour dark = HsvToRgb(0.0f, 0.5f, 0.5f);
    EXPECT_FLOAT_EQ(dark.R, 0.5f);
    EXPECT_FLOAT_EQ(dark.G, 0.25f);
    EXPECT_FLOAT_EQ(dark.B, 0.25f);
}

} // namespace
} // namespace vessmark
