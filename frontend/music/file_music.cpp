// Music from a file: MP3 through the MCI "MPEGVideo" device under one fixed
// alias, WAV looping through the system's sound player.

#include "background_music.h"

#include <cstring>

namespace vessmark {

namespace {
constexpr char Mp3Playing[] = "playing";
constexpr std::size_t ModeCompareLength = 7;
} // namespace

void BackgroundMusic::SendQuiet(const char* command)
{
    port_.SendString(command, nullptr, 0);
}

void BackgroundMusic::Mp3Play()
{
    // Quoted, so that a path with blanks opens.
    const std::string open = "open \"" + state_.BgmFile + "\" type MPEGVideo Alias MP3Play";
    if (port_.SendString(open.c_str(), nullptr, 0) == 0) {
        SendQuiet("play MP3Play");
    }
}

bool BackgroundMusic::Mp3IsPlaying()
{
    port_.SendString("status MP3Play mode", mp3Mode_.data(), static_cast<std::uint32_t>(mp3Mode_.size()));
    return std::strncmp(mp3Mode_.data(), Mp3Playing, ModeCompareLength) == 0;
}

void BackgroundMusic::Mp3Check()
{
    // Nothing loops by itself: whatever is not playing starts again from the top.
    if (!Mp3IsPlaying()) {
        SendQuiet("stop MP3Play");
        SendQuiet("play MP3Play from 0");
    }
}

void BackgroundMusic::Mp3Stop()
{
    SendQuiet("stop MP3Play");
    SendQuiet("close MP3Play");
}

void BackgroundMusic::WavPlay()
{
    if (port_.WaveOutDeviceCount() > 0) {
        state_.ApiResult = port_.PlaySoundName(state_.BgmFile.c_str(), SndAsync | SndNoDefault | SndLoop);
    }
}

void BackgroundMusic::WavStop()
{
    state_.ApiResult = port_.PlaySoundName(nullptr, 0);
}

} // namespace vessmark
