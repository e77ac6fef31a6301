#include "glx_config.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

// A double-buffered RGBA window configuration of visual 0x21.
GlxConfigTraits Config(int buffer, int depth, unsigned long visual = 0x21)
{
    GlxConfigTraits c;
    c.VisualId = visual;
    c.WindowDrawable = true;
    c.Rgba = true;
    c.DoubleBuffer = true;
    c.BufferSize = buffer;
    c.DepthSize = depth;
    return c;
}

TEST(GlxConfig, ScoredLikeTheWindowsFormatsOfTheSameKind)
{
    // A driver's own 32-bit colour, 24-bit depth format scores 2072 on Windows.
    EXPECT_EQ(ScorePixelFormat(ToPixelFormat(Config(32, 24), std::nullopt)), 2072);
    GlxConfigTraits slow = Config(24, 32);
    slow.Slow = true;
    EXPECT_EQ(ScorePixelFormat(ToPixelFormat(slow, std::nullopt)), 84) << "the generic software format's score";
}

TEST(GlxConfig, TheBestScoreWinsAndTiesKeepTheFirst)
{
    GlxConfigTraits slowDeep = Config(32, 32);
    slowDeep.Slow = true; // accumulation buffers and the like: last choice
    const std::vector<GlxConfigTraits> configs = {
        Config(24, 16), slowDeep, Config(32, 24), Config(24, 24), Config(32, 24, 0x22), Config(16, 16)};
    EXPECT_EQ(ChooseGlxConfig(configs, std::nullopt), 2u) << "32 + 48 - 8 + 2000 beats 24 + 48 - 4 + 2000";
}

TEST(GlxConfig, WhatCannotServeTheShowIsPassedOver)
{
    GlxConfigTraits single = Config(32, 32);
    single.DoubleBuffer = false;
    GlxConfigTraits pixmapOnly = Config(32, 32);
    pixmapOnly.WindowDrawable = false;
    GlxConfigTraits noVisual = Config(32, 32, 0);
    GlxConfigTraits colourIndex = Config(32, 32);
    colourIndex.Rgba = false;
    GlxConfigTraits multisampled = Config(32, 32);
    multisampled.Samples = 4;
    const std::vector<GlxConfigTraits> configs = {single, pixmapOnly, noVisual, colourIndex, multisampled,
                                                  Config(16, 16)};
    EXPECT_EQ(ChooseGlxConfig(configs, std::nullopt), 5u);
    EXPECT_EQ(ChooseGlxConfig({single, pixmapOnly, noVisual, colourIndex, multisampled}, std::nullopt),
              std::nullopt)
        << "nothing qualifies: the host falls back to asking GLX";
}

TEST(GlxConfig, AnotherProgramsWindowKeepsItsVisual)
{
    const std::vector<GlxConfigTraits> configs = {Config(32, 32, 0x3a2), Config(24, 24, 0x21), Config(32, 24, 0x21)};
    EXPECT_EQ(ChooseGlxConfig(configs, std::nullopt), 0u);
    EXPECT_EQ(ChooseGlxConfig(configs, 0x21ul), 2u);
    EXPECT_EQ(ChooseGlxConfig(configs, 0x99ul), std::nullopt);
}

} // namespace
} // namespace vessmark
