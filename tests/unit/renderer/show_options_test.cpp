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
               "--warm-up-frames", "899",
               "--output", "out.png", "--dump=state.csv", "--draw-spheres", "0", "--tail-length=0",
               "--show-links", "1", "--depth-colouring", "1", "--leaders", "0", "--followers=40000"});
    ASSERT_EQ(parsed.Error, "");
    const ShowOptions& o = parsed.Options;
    EXPECT_EQ(o.Width, 1920);
    EXPECT_EQ(o.Height, 1080);
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_EQ(o.Frames, 12);
    EXPECT_EQ(o.StepMilliseconds, 0);
    EXPECT_EQ(o.WarmUpFrames, 899);
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

TEST(ShowOptions, SwarmAndPictureSizeExistOnlyOffscreen)
{
    for (const char* option : {"--followers", "--leaders", "--size", "--dump"}) {
        const ParsedOptions parsed = Parse({option, option == std::string("--size") ? "64x64" : "5"});
        EXPECT_NE(parsed.Error.find(std::string(option) + " is only for --offscreen"), std::string::npos)
            << parsed.Error;
    }
}

TEST(ShowOptions, NoModeIsTheFullScreenShowWithItsFixedSettings)
{
    const ParsedOptions parsed = Parse({});
    ASSERT_EQ(parsed.Error, "");
    EXPECT_EQ(parsed.Options.Mode, ShowMode::FullScreen);
    EXPECT_FALSE(parsed.Options.Frames) << "runs until the show ends";
    EXPECT_FALSE(parsed.Options.Fps);
}

TEST(ShowOptions, DrawModesAndRepeatableRunsWorkOnTheScreenToo)
{
    const ParsedOptions parsed = Parse({"-root", "-draw-spheres", "0", "--show-links=1", "--depth-colouring", "1",
                                        "--tail-length", "0", "--seed", "9", "--step-ms", "40", "--frames", "120",
                                        "--output", "frame.png", "-fps"});
    ASSERT_EQ(parsed.Error, "");
    const ShowOptions& o = parsed.Options;
    EXPECT_EQ(o.Mode, ShowMode::Root);
    EXPECT_TRUE(o.Fps);
    EXPECT_EQ(o.Seed, 9u);
    EXPECT_EQ(o.StepMilliseconds, 40);
    EXPECT_EQ(o.Frames, 120);
    EXPECT_EQ(o.Output, "frame.png");
    EXPECT_EQ(o.Overrides.DrawSpheres, 0);
    EXPECT_EQ(o.Overrides.ShowLinks, 1);
    EXPECT_EQ(o.Overrides.DepthColouring, 1);
    EXPECT_EQ(o.Overrides.TailLength, 0);
}

// Where the show draws: the command line, and XScreenSaver's variable.
struct TargetCase {
    std::vector<std::string> Arguments;
    const char* Environment; // XSCREENSAVER_WINDOW, or null when unset
    ShowMode Mode;
    std::uint32_t WindowId;
    bool FromEnvironment;
};

class ShowOptionsTarget : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ShowOptionsTarget, IsTheWindowAskedFor)
{
    const TargetCase c = GetParam();
    const ParsedOptions parsed = ParseShowOptions(c.Arguments, c.Environment);
    ASSERT_EQ(parsed.Error, "");
    EXPECT_EQ(parsed.Options.Mode, c.Mode);
    if (c.Mode == ShowMode::Window) {
        EXPECT_EQ(parsed.Options.WindowId, c.WindowId);
        EXPECT_EQ(parsed.Options.WindowFromEnvironment, c.FromEnvironment);
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ShowOptionsTarget,
    ::testing::Values(
        TargetCase{{"-root"}, nullptr, ShowMode::Root, 0, false},
        TargetCase{{"--root"}, nullptr, ShowMode::Root, 0, false},
        TargetCase{{"-window-id", "123"}, nullptr, ShowMode::Window, 123, false},
        TargetCase{{"--window-id", "0x1a"}, nullptr, ShowMode::Window, 0x1a, false},
        TargetCase{{"--window-id=0X1A"}, nullptr, ShowMode::Window, 0x1a, false},
        TargetCase{{"--window-id", "536870911"}, nullptr, ShowMode::Window, 0x1FFFFFFF, false},
        // XScreenSaver starts "hack -root" and names its own window.
        TargetCase{{"-root"}, "0x2C00007", ShowMode::Window, 0x2c00007, true},
        TargetCase{{}, "0x2c00007", ShowMode::Window, 0x2c00007, true},
        // xsecurelock's multiplexer writes it in decimal.
        TargetCase{{}, "46137351", ShowMode::Window, 0x2c00007, true},
        // An explicit window beats the ambient variable; an empty one is none.
        TargetCase{{"--window-id", "77"}, "0x2c00007", ShowMode::Window, 77, false},
        TargetCase{{}, "", ShowMode::FullScreen, 0, false},
        // The off-screen mode draws no window and leaves the variable alone.
        TargetCase{{"--offscreen"}, "0x2c00007", ShowMode::Offscreen, 0, false},
        TargetCase{{"--offscreen"}, "not a window", ShowMode::Offscreen, 0, false},
        TargetCase{{"--add-to-xscreensaver"}, "not a window", ShowMode::AddToXScreenSaver, 0, false}));

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
    EXPECT_EQ(parsed.ErrorExit, ShowExitUsage);
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
        BadCommandLine{{"--draw-path", "instanced"}, "--draw-path wants auto or fixed, not 'instanced'"},
        BadCommandLine{{"--offscreen", "--leaders", "-1"}, "--leaders"},
        BadCommandLine{{"--offscreen", "--output="}, "--output wants a file name"},
        BadCommandLine{{"--offscreen=1"}, "--offscreen takes no value"},
        BadCommandLine{{"-window-id"}, "--window-id wants a value"},
        BadCommandLine{{"--window-id", "abc"}, "--window-id wants a window id"},
        BadCommandLine{{"--window-id", "0x"}, "not '0x'"},
        BadCommandLine{{"--window-id", "0xzz"}, "not '0xzz'"},
        BadCommandLine{{"--window-id", "0x-1"}, "not '0x-1'"},
        BadCommandLine{{"--window-id", "-5"}, "not '-5'"},
        BadCommandLine{{"--window-id", "0"}, "not '0'"},
        BadCommandLine{{"--window-id", "0x20000000"}, "not '0x20000000'"},
        BadCommandLine{{"--window-id", "12 "}, "not '12 '"},
        BadCommandLine{{"-root", "-window-id", "5"}, "--root and --window-id name two different windows"},
        BadCommandLine{{"--window-id", "5", "--root"}, "--root and --window-id"},
        BadCommandLine{{"--offscreen", "--root"}, "--root draws on the screen and cannot be combined with --offscreen"},
        BadCommandLine{{"-fps", "--offscreen"}, "--fps draws on the screen"},
        BadCommandLine{{"--offscreen", "-window-id", "3"}, "--window-id draws on the screen"},
        BadCommandLine{{"--output", "x.png"}, "--output on the screen needs --frames"},
        BadCommandLine{{"-root", "--warm-up-frames", "300"}, "--warm-up-frames needs --step-ms"},
        BadCommandLine{{"-root", "--rot"}, "unknown option '--rot'"},
        BadCommandLine{{"-"}, "unknown option '-'"},
        BadCommandLine{{"-add-to-xscreensaver", "--fps"}, "--add-to-xscreensaver takes no other option"}));

TEST(ShowOptions, AMalformedScreensaverWindowIsRefusedByName)
{
    // Bare hex digits are not a number XScreenSaver's hacks take either.
    for (const char* value : {"zz", "2c00007", "0x", "0x0", "-1", "0x1ffffffff", "536870912", " 12"}) {
        const ParsedOptions parsed = ParseShowOptions({"-root"}, value);
        EXPECT_NE(parsed.Error.find("XSCREENSAVER_WINDOW should hold a window id, 0x and hex digits or decimal"),
                  std::string::npos)
            << value << ": " << parsed.Error;
        EXPECT_NE(parsed.Error.find(value), std::string::npos) << "names the value";
        EXPECT_EQ(parsed.ErrorExit, ShowExitFailed) << "the framework's mistake, not the command line's";
    }
}

TEST(ShowOptions, TheDrawPathComesFromTheOptionElseTheEnvironment)
{
    const struct {
        std::vector<std::string> Arguments;
        const char* Variable; // VESSMARK_DRAW_PATH, or null when unset
        DrawPathRequest Request;
    } cases[] = {
        {{"--offscreen"}, nullptr, DrawPathRequest::Auto},
        {{"--offscreen"}, "", DrawPathRequest::Auto},
        {{"--offscreen", "--draw-path", "fixed"}, nullptr, DrawPathRequest::Fixed},
        {{"-root", "-draw-path=fixed"}, nullptr, DrawPathRequest::Fixed},
        {{"--offscreen"}, "fixed", DrawPathRequest::Fixed},
        {{"--offscreen", "--draw-path", "auto"}, "fixed", DrawPathRequest::Auto},
        {{"--draw-path", "fixed"}, "nonsense", DrawPathRequest::Fixed}, // the option wins, the variable is not read
    };
    for (const auto& c : cases) {
        const ParsedOptions parsed = ParseShowOptions(c.Arguments, nullptr, c.Variable);
        ASSERT_EQ(parsed.Error, "") << (c.Variable ? c.Variable : "(unset)");
        EXPECT_EQ(parsed.Options.DrawPath, c.Request) << (c.Variable ? c.Variable : "(unset)");
    }
    const ParsedOptions bad = ParseShowOptions({"--offscreen"}, nullptr, "shader");
    EXPECT_EQ(bad.Error, "VESSMARK_DRAW_PATH should be auto or fixed, not 'shader'");
}

TEST(ShowOptions, HelpNeedsNoModeAndListsEveryOption)
{
    const ParsedOptions parsed = Parse({"--help"});
    EXPECT_TRUE(parsed.Options.Help);
    EXPECT_EQ(parsed.Error, "");
    const std::string usage = ShowUsage();
    for (const char* option : {"--root", "--window-id ID", "--fps", "XSCREENSAVER_WINDOW", "--offscreen", "--size WxH", "--seed N", "--frames N", "--step-ms N", "--output FILE",
                               "--dump FILE", "--draw-spheres 0|1", "--tail-length N", "--show-links 0|1",
                               "--depth-colouring 0|1", "--leaders N", "--followers N", "--draw-path auto|fixed",
                               "--warm-up-frames N", "--add-to-xscreensaver", "--help"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace vessmark
