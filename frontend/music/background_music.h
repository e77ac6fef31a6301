#pragma once
// Background music during a show: MP3 files through the MCI "MPEGVideo" device,
// WAV files through the system's sound player, the audio CD through the MCI
// "cdaudio" device. Nothing here reports to the user; failures show only as
// MCI codes and texts.

#include <array>
#include <cstdint>
#include <string>

#include "front_end_state.h"
#include "multimedia_port.h"

namespace vessmark {

inline constexpr char MciNoCommandMessage[] = "コマンド文字列が指定されていません";
inline constexpr char MciNoErrorTextMessage[] = "Error (文字列が取れません)";

inline constexpr std::uint32_t SndAsync = 0x0001;
// Without it a file that has gone or cannot be read plays the system's
// default sound instead, over and over with SndLoop, for the whole show.
inline constexpr std::uint32_t SndNoDefault = 0x0002;
inline constexpr std::uint32_t SndLoop = 0x0008;

class BackgroundMusic {
public:
    BackgroundMusic(FrontEndState& state, MultimediaPort& port) : state_(state), port_(port) {}

    // Text of the last command sent through MciResult or MciPlay: the answer,
    // the MCI error text or one of the fixed messages. Internal, never shown.
    std::string MciMessage;

    // MCI command functions.
    std::int32_t MciSend(const std::string& command, std::string& message);
    std::string MciResult(const std::string& command);
    std::int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to);

    // A music file: MP3 through MCI, WAV through the sound player.
    void Mp3Play();
    bool Mp3IsPlaying();
    void Mp3Check();
    void Mp3Stop();
    void WavPlay();
    void WavStop();

    // The audio CD.
    void CdOpen();
    void CdCheck();
    void CdStop();

private:
    FrontEndState& state_;
    MultimediaPort& port_;
    std::array<char, 512> answer_{};
    std::array<char, 256> errorText_{};
    // Mode buffers keep their content between queries: a query that fails is
    // judged by the previous answer.
    std::array<char, 30> mp3Mode_{};
    std::array<char, 255> cdMode_{};

    void SendQuiet(const char* command);
    void SendCd(const char* command);
};

} // namespace vessmark
