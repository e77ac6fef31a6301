#include "background_music.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes.h"

#ifdef _WIN32
#include <windows.h>
#include <mmsystem.h>
#endif

namespace vessmark {
namespace {

// Asynchronous, looping, and silence rather than the system's default sound
// for a file that cannot be played; cross-built, by the system's own values.
#ifdef _WIN32
constexpr std::uint32_t WavPlayFlags = SND_ASYNC | SND_NODEFAULT | SND_LOOP;
#else
constexpr std::uint32_t WavPlayFlags = 0x0001 | 0x0002 | 0x0008;
#endif

using ::testing::ElementsAre;
using vessmark::testing::FakeMultimedia;
using Reply = FakeMultimedia::Reply;

class MusicTest : public ::testing::Test {
protected:
    FrontEndState state;
    FakeMultimedia port;
    BackgroundMusic music{state, port};

    void Answer(std::map<std::string, Reply> replies)
    {
        port.Script = [replies = std::move(replies)](const std::string& command) {
            const auto found = replies.find(command);
            return found != replies.end() ? found->second : Reply{};
        };
    }
};

// --- the MCI command functions

TEST_F(MusicTest, MciSendRefusesAnEmptyCommandWithoutCallingMci)
{
    std::string message;
    EXPECT_EQ(music.MciSend("", message), -1);
    EXPECT_EQ(message, "コマンド文字列が指定されていません");
    EXPECT_TRUE(port.Commands.empty());
}

TEST_F(MusicTest, MciSendGivesTheAnswerUpToItsFirstNul)
{
    Answer({{"status cdaudio mode", {0, std::string("playing\0junk", 12)}}});
    std::string message;
    EXPECT_EQ(music.MciSend("status cdaudio mode", message), 0);
    EXPECT_EQ(message, "playing");
    EXPECT_EQ(port.AnswerLengths, std::vector<std::uint32_t>{512});
}

TEST_F(MusicTest, MciSendGivesTheErrorTextOrAFixedTextWhenThereIsNone)
{
    port.ErrorTexts[266] = "The driver cannot be loaded.";
    Answer({{"open cdaudio", {266, ""}}, {"bogus", {999, ""}}});
    std::string message;
    EXPECT_EQ(music.MciSend("open cdaudio", message), 266);
    EXPECT_EQ(message, "The driver cannot be loaded.");
    EXPECT_EQ(state.ApiResult, 266);
    EXPECT_EQ(music.MciSend("bogus", message), 999);
    EXPECT_EQ(message, "Error (文字列が取れません)");
    EXPECT_EQ(state.ApiResult, 999);
}

TEST_F(MusicTest, MciResultMarksARefusalWithErrorAndTheCode)
{
    port.ErrorTexts[266] = "The driver cannot be loaded.";
    Answer({{"status cdaudio current track", {266, ""}}, {"status cdaudio number of tracks", {0, "12"}}});
    EXPECT_EQ(music.MciResult("status cdaudio current track"), "Error:266");
    EXPECT_EQ(music.MciMessage, "The driver cannot be loaded.");
    EXPECT_EQ(music.MciResult("status cdaudio number of tracks"), "12");
    EXPECT_EQ(music.MciMessage, "12");
    EXPECT_EQ(state.ApiResult, 0);
}

TEST_F(MusicTest, MciPlayBuildsEachFormWithoutTrailingBlanks)
{
    music.MciPlay("cdaudio", "", "");
    music.MciPlay("cdaudio", "03:00:00:00", "");
    music.MciPlay("cdaudio", "", "05");
    music.MciPlay("MP3Play", "0", "1000");
    EXPECT_THAT(port.Commands, ElementsAre("play cdaudio", "play cdaudio from 03:00:00:00", "play cdaudio to 05",
                                           "play MP3Play from 0 to 1000"));
}

// --- MP3 files

TEST_F(MusicTest, Mp3PlayOpensTheQuotedPathThenPlays)
{
    state.BgmFile = "C:\\My Music\\a song.mp3";
    state.ApiResult = 42;
    music.Mp3Play();
    EXPECT_THAT(port.Commands, ElementsAre("open \"C:\\My Music\\a song.mp3\" type MPEGVideo Alias MP3Play",
                                           "play MP3Play"));
    EXPECT_THAT(port.AnswerLengths, ElementsAre(0u, 0u));
    EXPECT_EQ(state.ApiResult, 42); // the MP3 operations leave it alone
}

TEST_F(MusicTest, Mp3PlaySendsNoPlayWhenTheOpenFails)
{
    state.BgmFile = "C:\\broken.mp3";
    port.Script = [](const std::string& command) {
        return command.rfind("open", 0) == 0 ? Reply{277, ""} : Reply{};
    };
    music.Mp3Play();
    EXPECT_THAT(port.Commands, ElementsAre("open \"C:\\broken.mp3\" type MPEGVideo Alias MP3Play"));
}

TEST_F(MusicTest, Mp3CheckLeavesAPlayingFileAlone)
{
    Answer({{"status MP3Play mode", {0, "playing"}}});
    music.Mp3Check();
    EXPECT_THAT(port.Commands, ElementsAre("status MP3Play mode"));
    EXPECT_THAT(port.AnswerLengths, ElementsAre(30u));
}

TEST_F(MusicTest, Mp3CheckRestartsAnythingThatIsNotPlaying)
{
    for (const char* mode : {"stopped", "paused", "Playing", "play", ""}) {
        port.Commands.clear();
        Answer({{"status MP3Play mode", {0, mode}}});
        music.Mp3Check();
        EXPECT_THAT(port.Commands, ElementsAre("status MP3Play mode", "stop MP3Play", "play MP3Play from 0"))
            << "mode '" << mode << "'";
    }
}

TEST_F(MusicTest, Mp3ModeComparesTheFirstSevenCharactersOnly)
{
    Answer({{"status MP3Play mode", {0, "playing backwards"}}});
    EXPECT_TRUE(music.Mp3IsPlaying());
}

TEST_F(MusicTest, AFailedModeQueryIsJudgedByThePreviousAnswer)
{
    Answer({{"status MP3Play mode", {0, "playing"}}});
    EXPECT_TRUE(music.Mp3IsPlaying());
    Answer({{"status MP3Play mode", {281, "", false}}});
    EXPECT_TRUE(music.Mp3IsPlaying());

    Answer({{"status MP3Play mode", {0, "stopped"}}});
    EXPECT_FALSE(music.Mp3IsPlaying());
    Answer({{"status MP3Play mode", {281, "", false}}});
    port.Commands.clear();
    music.Mp3Check();
    EXPECT_THAT(port.Commands, ElementsAre("status MP3Play mode", "stop MP3Play", "play MP3Play from 0"));
}

TEST_F(MusicTest, Mp3StopStopsThenCloses)
{
    music.Mp3Stop();
    EXPECT_THAT(port.Commands, ElementsAre("stop MP3Play", "close MP3Play"));
}

// --- WAV files

TEST_F(MusicTest, WavPlayLoopsAsynchronouslyAndWavStopSilences)
{
    state.BgmFile = "C:\\Music\\tone.wav";
    port.PlaySoundResult = 1;
    music.WavPlay();
    ASSERT_EQ(port.Sounds.size(), 1u);
    EXPECT_TRUE(port.Sounds[0].HasName);
    EXPECT_EQ(port.Sounds[0].Name, "C:\\Music\\tone.wav");
    EXPECT_EQ(port.Sounds[0].Flags, WavPlayFlags);
    EXPECT_EQ(state.ApiResult, 1);

    port.PlaySoundResult = 7;
    music.WavStop();
    ASSERT_EQ(port.Sounds.size(), 2u);
    EXPECT_FALSE(port.Sounds[1].HasName);
    EXPECT_EQ(port.Sounds[1].Flags, 0u);
    EXPECT_EQ(state.ApiResult, 7);
}

TEST_F(MusicTest, WavPlayDoesNothingWithoutAWaveDevice)
{
    state.BgmFile = "C:\\Music\\tone.wav";
    port.WaveDevices = 0;
    state.ApiResult = 5;
    music.WavPlay();
    EXPECT_TRUE(port.Sounds.empty());
    EXPECT_EQ(state.ApiResult, 5);
}

// --- the audio CD

// A drive with a disc: the test sets what it is doing before each poll.
class CdTest : public MusicTest {
protected:
    std::string track = "1";
    std::string mode = "stopped";
    std::uint32_t trackCode = 0;
    std::uint32_t countCode = 0;
    std::uint32_t positionCode = 0;

    void SetUp() override
    {
        port.ErrorTexts[266] = "cannot load driver";
        port.Script = [this](const std::string& command) -> Reply {
            if (command == "status cdaudio current track") {
                return {trackCode, track};
            }
            if (command == "status cdaudio number of tracks") {
                return {countCode, "12"};
            }
            if (command == "status cdaudio mode") {
                return {0, mode};
            }
            if (command.rfind("status cdaudio position track ", 0) == 0) {
                return {positionCode, "03:00:00:00"};
            }
            return {};
        };
    }

    std::vector<std::string> Poll()
    {
        port.Commands.clear();
        music.CdCheck();
        return port.Commands;
    }
};

const char* const StatusQueries[] = {"status cdaudio current track", "status cdaudio number of tracks",
                                     "status cdaudio mode"};

TEST_F(CdTest, OpenSetsTheTimeFormatAndStopCloses)
{
    music.CdOpen();
    music.CdStop();
    EXPECT_THAT(port.Commands, ElementsAre("open cdaudio", "set cdaudio time format tmsf", "stop cdaudio",
                                           "close cdaudio"));
    EXPECT_THAT(port.AnswerLengths, ElementsAre(0u, 0u, 0u, 0u));
}

TEST_F(CdTest, WholeDiscWhilePausedOrPlayingOnlyAsks)
{
    for (const char* busy : {"paused", "playing"}) {
        mode = busy;
        EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2])) << busy;
        EXPECT_TRUE(state.CdActive);
    }
    EXPECT_EQ(port.AnswerLengths.back(), 255u);
}

TEST_F(CdTest, WholeDiscStartsAgainWhenStopped)
{
    mode = "stopped";
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2], "play cdaudio"));
    EXPECT_TRUE(state.CdActive);
}

TEST_F(CdTest, RepeatedTrackKeepsPlayingThenJumpsBack)
{
    state.BgmRepeat = 3;
    mode = "playing";
    track = "3";
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2]));
    track = "4"; // the drive moved on
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2],
                                    "status cdaudio position track 3", "play cdaudio from 03:00:00:00"));
    EXPECT_TRUE(state.CdActive);
}

TEST_F(CdTest, RepeatedTrackRestartsWhenTheDiscStopped)
{
    state.BgmRepeat = 3;
    mode = "stopped";
    track = "3";
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2],
                                    "status cdaudio position track 3", "play cdaudio from 03:00:00:00"));
}

TEST_F(CdTest, TrackAnswerThatIsNoNumberEndsPolling)
{
    state.BgmRepeat = 3;
    mode = "stopped";
    track = "three";
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2]));
    EXPECT_FALSE(state.CdActive);
}

TEST_F(CdTest, RefusedTrackOrCountQueryEndsPolling)
{
    trackCode = 266; // no drive
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0]));
    EXPECT_FALSE(state.CdActive);
    trackCode = 0;
    countCode = 266; // no disc
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1]));
    EXPECT_FALSE(state.CdActive);
}

TEST_F(CdTest, RepeatTrackBeyondTheDiscPassesTheErrorOnAndKeepsPolling)
{
    state.BgmRepeat = 40;
    positionCode = 266;
    mode = "playing";
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2],
                                    "status cdaudio position track 40", "play cdaudio from Error:266"));
    EXPECT_TRUE(state.CdActive);
}

TEST_F(CdTest, ADiscThatPlaysThroughIsStartedAgainAtItsEnd)
{
    // Stopped at the start, then tracks 1..3 play, then the disc stops.
    const std::pair<const char*, const char*> drive[] = {
        {"1", "stopped"}, {"1", "playing"}, {"2", "playing"}, {"3", "playing"}, {"3", "stopped"}};
    std::vector<std::string> plays;
    for (const auto& [now, state_] : drive) {
        track = now;
        mode = state_;
        for (const std::string& command : Poll()) {
            if (command.rfind("play", 0) == 0) {
                plays.push_back(command);
            }
        }
    }
    EXPECT_THAT(plays, ElementsAre("play cdaudio", "play cdaudio"));
    EXPECT_TRUE(state.CdActive);
}

TEST_F(CdTest, AFailedModeQueryReusesThePreviousMode)
{
    mode = "playing";
    Poll();
    port.Script = [inner = port.Script](const std::string& command) {
        return command == "status cdaudio mode" ? Reply{266, "", false} : inner(command);
    };
    EXPECT_THAT(Poll(), ElementsAre(StatusQueries[0], StatusQueries[1], StatusQueries[2]));
}

} // namespace
} // namespace vessmark
