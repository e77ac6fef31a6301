#include "show_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vessmark {
namespace {

ParsedOptions Parse(std::vector<std::string> arguments) { return ParseShowOptions(arguments); }

TEST(ShowOptions, OffscreenAloneRunsTheShowsOwnSettings)
{
    const ParsedOptions parsed = Parse({"--offscreen"});
    ASSERT_EQ(parsed.Error, "");
    const ShowOptions& o = parsed.Options;
    EXPECT_EQ(o.Mode, ShowMode::Offscreen);
    EXPECT_EQ(o.Width, 640);
    EXPECT_EQ(o.Height, 480);
    EXPECT_FALSE(o.Seed) << "seeded from the clock, as a real show";
    EXPECT_FALSE(o.StepMilliseconds) << "the real clock";
    EXPECT_TRUE(o.Dump.empty());

    RendererSettings settings;
    ApplyDefaultSettings(settings);
    const RendererSettings before = settings;
    ApplyOverrides(o.Overrides, settings);
    EXPECT_EQ(settings.DrawSpheres, before.DrawSpheres);
    EXPECT_EQ(settings.FollowerCount, before.FollowerCount);
    EXPECT_EQ(settings.TailLength, before.TailLength);
}

TEST(ShowOptions, EveryOptionReachesItsField)
{
    const ParsedOptions parsed =
        Parse({"--offscreen", "--size", "1920x1080", "--seed=4294967295", "--frames", "12", "--step-ms=0",
               "--output", "out.png", "--dump=state.csv", "--draw-spheres", "0", "--tail-length=0",
               "--show-links", "1", "--depth-colouring", "1", "--leaders", "0", "--followers=40000"});
    ASSERT_EQ(parsed.Error, "");
    const ShowOptions& o = parsed.Options;
    EXPECT_EQ(o.Width, 1920);
    EXPECT_EQ(o.Height, 1080);
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_EQ(o.Frames, 12);
    EXPECT_EQ(o.StepMilliseconds, 0);
    EXPECT_EQ(o.Output, "out.png");
    EXPECT_EQ(o.Dump, "state.csv");

    RendererSettings settings;
    ApplyDefaultSettings(settings);
    ApplyOverrides(o.Overrides, settings);
    EXPECT_EQ(settings.DrawSpheres, 0);
    EXPECT_EQ(settings.TailLength, 0);
    EXPECT_EQ(settings.ShowLinks, 1);
    EXPECT_EQ(settings.DepthColouring, 1);
    EXPECT_EQ(settings.LeaderCount, 0);
    EXPECT_EQ(settings.FollowerCount, 40000);
    EXPECT_EQ(settings.HueFollowRate, 30) << "what cannot be overridden stays fixed";
}

TEST(ShowOptions, OptionsMayComeBeforeTheMode)
{
    const ParsedOptions parsed = Parse({"--seed", "3", "--offscreen"});
    EXPECT_EQ(parsed.Error, "");
    EXPECT_EQ(parsed.Options.Seed, 3u);
}

TEST(ShowOptions, OverridesExistOnlyOffscreen)
{
    const ParsedOptions parsed = Parse({"--show-links", "1"});
    EXPECT_NE(parsed.Error.find("--show-links is only for --offscreen"), std::string::npos) << parsed.Error;
    EXPECT_NE(Parse({}).Error.find("use --offscreen"), std::string::npos);
}

struct BadCommandLine {
    std::vector<std::string> Arguments;
    const char* Complaint; // part of the message
};

class ShowOptionsRefuse : public ::testing::TestWithParam<BadCommandLine> {};

TEST_P(ShowOptionsRefuse, WithAMessageThatNamesTheProblem)
{
    const BadCommandLine c = GetParam();
    const ParsedOptions parsed = ParseShowOptions(c.Arguments);
    EXPECT_NE(parsed.Error.find(c.Complaint), std::string::npos) << "got: " << parsed.Error;
}

INSTANTIATE_TEST_SUITE_P(BadValues, ShowOptionsRefuse,
    ::testing::Values(
        BadCommandLine{{"--offscreen", "--frobnicate"}, "unknown option '--frobnicate'"},
        BadCommandLine{{"--offscreen", "offscreen"}, "unknown option 'offscreen'"},
        BadCommandLine{{"--offscreen", "--frames"}, "--frames wants a value"},
        BadCommandLine{{"--offscreen", "--frames", "0"}, "from 1 to"},
        BadCommandLine{{"--offscreen", "--frames", "ten"}, "not 'ten'"},
        BadCommandLine{{"--offscreen", "--frames", "12x"}, "not '12x'"},
        BadCommandLine{{"--offscreen", "--frames", ""}, "not ''"},
        BadCommandLine{{"--offscreen", "--seed", "-1"}, "--seed wants a whole number from 0"},
        BadCommandLine{{"--offscreen", "--seed", "4294967296"}, "to 4294967295"},
        BadCommandLine{{"--offscreen", "--step-ms", "60001"}, "--step-ms"},
        BadCommandLine{{"--offscreen", "--size", "640"}, "WIDTHxHEIGHT"},
        BadCommandLine{{"--offscreen", "--size", "0x480"}, "WIDTHxHEIGHT"},
        BadCommandLine{{"--offscreen", "--size", "640x-4"}, "WIDTHxHEIGHT"},
        BadCommandLine{{"--offscreen", "--draw-spheres", "2"}, "from 0 to 1"},
        BadCommandLine{{"--offscreen", "--leaders", "-1"}, "--leaders"},
        BadCommandLine{{"--offscreen", "--output="}, "--output wants a file name"},
        BadCommandLine{{"--offscreen=1"}, "--offscreen takes no value"}));

TEST(ShowOptions, HelpNeedsNoModeAndListsEveryOption)
{
    const ParsedOptions parsed = Parse({"--help"});
    EXPECT_TRUE(parsed.Options.Help);
    EXPECT_EQ(parsed.Error, "");
    const std::string usage = ShowUsage();
    for (const char* option : {"--offscreen", "--size WxH", "--seed N", "--frames N", "--step-ms N", "--output FILE",
                               "--dump FILE", "--draw-spheres 0|1", "--tail-length N", "--show-links 0|1",
                               "--depth-colouring 0|1", "--leaders N", "--followers N", "--help"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace vessmark
