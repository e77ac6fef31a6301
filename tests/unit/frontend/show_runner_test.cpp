#include "show_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"

namespace vessmark {
namespace {

using ::testing::ElementsAre;
using vessmark::testing::FakeMultimedia;

TEST(ChooseMusic, KindAndTheLastThreeCharactersDecide)
{
    EXPECT_EQ(ChooseMusic(2, "C:\\Music\\Song.Mp3"), MusicChoice::Mp3);
    EXPECT_EQ(ChooseMusic(2, "C:\\Music\\x.WAV"), MusicChoice::Wav);
    EXPECT_EQ(ChooseMusic(2, "C:\\Music\\a.wma"), MusicChoice::None);
    EXPECT_EQ(ChooseMusic(2, "mp3"), MusicChoice::Mp3); // no dot needed
    EXPECT_EQ(ChooseMusic(2, "C:\\Music\\notawav"), MusicChoice::Wav);
    EXPECT_EQ(ChooseMusic(2, "p3"), MusicChoice::None);
    EXPECT_EQ(ChooseMusic(2, ""), MusicChoice::None);
    EXPECT_EQ(ChooseMusic(1, "C:\\Music\\Song.mp3"), MusicChoice::Cd);
    EXPECT_EQ(ChooseMusic(0, "C:\\Music\\Song.mp3"), MusicChoice::None);
    EXPECT_EQ(ChooseMusic(5, "C:\\Music\\Song.mp3"), MusicChoice::None);
    EXPECT_EQ(ChooseMusic(-1, "C:\\Music\\Song.wav"), MusicChoice::None);
}

TEST(RendererPath, AddsTheSeparator)
{
    EXPECT_EQ(RendererPath("C:\\Program Files\\Vessmark"), "C:\\Program Files\\Vessmark\\Vessmark.dll");
}

// The watch's decision table.
TEST(RendererWatch, WaitsForASlowRendererThenFollowsItsWindow)
{
    RendererWatch watch;
    watch.Start(1000);
    EXPECT_FALSE(watch.ShowIsOver(false, false, 1050));  // not up yet: grace
    EXPECT_FALSE(watch.ShowIsOver(false, false, 1230));
    EXPECT_FALSE(watch.ShowIsOver(true, false, 1280));   // seen
    EXPECT_FALSE(watch.ShowIsOver(true, false, 90000));  // a long show
    EXPECT_TRUE(watch.ShowIsOver(false, false, 90050));  // seen and now gone
}

TEST(RendererWatch, EndsWhenTheRendererProcessEndsWithoutAWindow)
{
    RendererWatch watch;
    watch.Start(0);
    EXPECT_TRUE(watch.ShowIsOver(false, true, 50));
}

TEST(RendererWatch, GivesUpWhenNoWindowAppearsWithinTheGracePeriod)
{
    RendererWatch watch;
    watch.Start(5000);
    EXPECT_FALSE(watch.ShowIsOver(false, false, 5000 + 9999));
    EXPECT_TRUE(watch.ShowIsOver(false, false, 5000 + 10000));
}

TEST(RendererWatch, GracePeriodSurvivesTheMillisecondCounterWrapping)
{
    RendererWatch watch;
    watch.Start(0xFFFFFF00u);
    EXPECT_FALSE(watch.ShowIsOver(false, false, 0x00000100u)); // 512 ms later
    EXPECT_TRUE(watch.ShowIsOver(false, false, 0xFFFFFF00u + 10000u));
}

class FakeShowPlatform final : public ShowPlatform {
public:
    std::vector<std::string> Started;
    bool StartWorks = true;
    bool Ended = false;
    bool WindowUp = false;
    int CursorShows = 0;
    std::vector<std::string> Messages;
    std::uint32_t Now = 0;

    bool StartRenderer(const std::string& path, std::string& reason) override
    {
        Started.push_back(path);
        if (!StartWorks) {
            Ended = true;
            reason = "%1 is not a valid Win32 application.";
        }
        return StartWorks;
    }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool RendererEnded() override { return Ended; }
    bool RendererWindowExists() override { return WindowUp; }
    void ShowCursor() override { ++CursorShows; }
    std::uint32_t NowMs() override { return Now; }
};

class ShowRunnerTest : public ::testing::Test {
protected:
    FrontEndState state;
    FakeMultimedia port;
    BackgroundMusic music{state, port};
    FakeShowPlatform platform;

    bool loaded = false;

    ShowRunner Load(std::int16_t kind, std::string file, char letter = 'S')
    {
        state.BgmKind = kind;
        state.BgmFile = std::move(file);
        ShowRunner runner(state, music, platform, letter);
        loaded = runner.FormLoad("C:\\Saver");
        return runner;
    }
};

TEST_F(ShowRunnerTest, Mp3ShowStartsTheRendererPlaysChecksAndStops)
{
    ShowRunner runner = Load(2, "C:\\My Music\\Song.Mp3");
    EXPECT_THAT(platform.Started, ElementsAre("C:\\Saver\\Vessmark.dll"));
    EXPECT_THAT(port.Commands, ElementsAre("open \"C:\\My Music\\Song.Mp3\" type MPEGVideo Alias MP3Play",
                                           "play MP3Play"));
    EXPECT_TRUE(runner.Timer1Enabled);
    EXPECT_FALSE(runner.Timer2Enabled);
    EXPECT_TRUE(runner.Timer3Enabled);

    port.Commands.clear();
    runner.Timer1Tick();
    EXPECT_EQ(port.Commands.front(), "status MP3Play mode");

    platform.WindowUp = true;
    EXPECT_FALSE(runner.Timer3Tick());
    platform.WindowUp = false;
    EXPECT_TRUE(runner.Timer3Tick());
    EXPECT_FALSE(runner.Timer3Enabled);
    port.Commands.clear();
    runner.FormQueryUnload();
    EXPECT_THAT(port.Commands, ElementsAre("stop MP3Play", "close MP3Play"));
    EXPECT_EQ(platform.CursorShows, 1);
}

TEST_F(ShowRunnerTest, WavShowLoopsWithoutATimerAndStopsAtTheEnd)
{
    ShowRunner runner = Load(2, "C:\\Music\\x.WAV");
    ASSERT_EQ(port.Sounds.size(), 1u);
    EXPECT_EQ(port.Sounds[0].Flags, SndAsync | SndNoDefault | SndLoop);
    EXPECT_FALSE(runner.Timer1Enabled);
    runner.FormQueryUnload();
    ASSERT_EQ(port.Sounds.size(), 2u);
    EXPECT_FALSE(port.Sounds[1].HasName);
    EXPECT_TRUE(port.Commands.empty());
    EXPECT_TRUE(runner.MusicStarted()); // the program gives the player time to wind down
}

TEST_F(ShowRunnerTest, CdShowStopsPollingForGoodWhenTheCdFails)
{
    port.Script = [](const std::string&) { return FakeMultimedia::Reply{266, ""}; }; // no drive
    ShowRunner runner = Load(1, "");
    EXPECT_THAT(port.Commands, ElementsAre("open cdaudio", "set cdaudio time format tmsf"));
    EXPECT_TRUE(runner.Timer2Enabled);
    runner.Timer2Tick();
    EXPECT_FALSE(runner.Timer2Enabled);
    port.Commands.clear();
    runner.FormQueryUnload();
    EXPECT_TRUE(port.Commands.empty()); // no stop for a CD that already failed
}

TEST_F(ShowRunnerTest, CdStillPollingIsStoppedAtTheEnd)
{
    ShowRunner runner = Load(1, "");
    port.Commands.clear();
    runner.FormQueryUnload();
    EXPECT_THAT(port.Commands, ElementsAre("stop cdaudio", "close cdaudio"));
    EXPECT_FALSE(runner.Timer2Enabled);
}

TEST_F(ShowRunnerTest, OtherKindsAndEndingsPlayNothing)
{
    for (const auto& [kind, file] : {std::pair<std::int16_t, const char*>{2, "C:\\a.wma"}, {5, "C:\\a.mp3"},
                                     {0, "C:\\a.mp3"}}) {
        port.Commands.clear();
        port.Sounds.clear();
        ShowRunner runner = Load(kind, file);
        runner.FormQueryUnload();
        EXPECT_TRUE(port.Commands.empty()) << kind << " " << file;
        EXPECT_TRUE(port.Sounds.empty()) << kind << " " << file;
        EXPECT_FALSE(runner.Timer1Enabled);
        EXPECT_FALSE(runner.Timer2Enabled);
        EXPECT_FALSE(runner.MusicStarted()) << kind << " " << file;
    }
}

TEST_F(ShowRunnerTest, CursorComesBackOnlyForTheShowSwitch)
{
    ShowRunner quiet = Load(0, "", '\0'); // started with no arguments
    quiet.FormQueryUnload();
    EXPECT_EQ(platform.CursorShows, 0);
}

TEST_F(ShowRunnerTest, ARendererThatCannotStartIsReportedAndNoMusicPlays)
{
    platform.StartWorks = false;
    for (const auto& [kind, file] : {std::pair<std::int16_t, const char*>{2, "C:\\Music\\x.wav"},
                                     {2, "C:\\Music\\x.mp3"}, {1, ""}}) {
        Load(kind, file);
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(port.Commands.empty()) << file;
        EXPECT_TRUE(port.Sounds.empty()) << file;
    }
    EXPECT_EQ(platform.CursorShows, 3); // given back before the message, each time
    EXPECT_EQ(platform.Messages.back(), "Vessmark.dll を起動できません。\r\n%1 is not a valid Win32 application.");

    Load(0, "", '\0'); // no arguments: the cursor was never hidden
    EXPECT_EQ(platform.CursorShows, 3);
    EXPECT_EQ(platform.Messages.size(), 4u);
}

} // namespace
} // namespace vessmark
