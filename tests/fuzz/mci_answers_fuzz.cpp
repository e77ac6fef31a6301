// Fuzzes a whole show's music over arbitrary device answers: the show runner
// plays an MP3, a WAV, the CD or nothing, its three timers tick in any order,
// and every MCI command gets an answer, a code and an error text taken from
// the input (any length, any bytes). Whatever the devices say: no buffer is
// overrun (the fake fills as much of each buffer as its length allows), only
// the commands of the chosen music are sent, the MP3 poll restarts exactly
// what is not playing, the message text of each MCI command is its answer or
// its error text, and the end of the show stops and closes what was opened.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "background_music.h"
#include "fuzz_input.h"
#include "show_runner.h"

namespace {

using vessmark::fuzz::Check;

class Input : public vessmark::fuzz::ByteReader {
public:
    using ByteReader::ByteReader;
    // Up to 600 bytes: longer than any buffer the music keeps.
    std::string Text()
    {
        std::size_t length = Byte();
        if (length >= 0xF0) {
            length = 256 + (length - 0xF0) * 24 + Byte() % 24;
        }
        std::string text;
        for (std::size_t i = 0; i < length && !Done(); ++i) {
            text += static_cast<char>(Byte());
        }
        return text;
    }
};

struct Sent {
    std::string Command;
    std::uint32_t Length; // of the answer buffer, 0 for none
    std::uint32_t Code;
    std::string Written; // what landed in the answer buffer, up to its NUL
    bool Wrote;
};

// MCI devices whose every answer, code and error text come from the input.
class ScriptedDevices final : public vessmark::MultimediaPort {
public:
    explicit ScriptedDevices(Input& input) : input_(input) {}
    std::vector<Sent> Log;
    std::vector<std::string> Sounds; // "-" for a stop
    std::uint32_t WaveDevices = 1;
    bool LastErrorKnown = false;
    std::string LastErrorText; // as written, up to its NUL

    std::uint32_t SendString(const char* command, char* answer, std::uint32_t length) override
    {
        Sent sent{command, answer == nullptr ? 0 : length, 0, {}, false};
        const std::uint8_t control = input_.Byte();
        sent.Code = (control & 0x80) != 0 ? 256u + (control & 0x3F) : 0u;
        sent.Wrote = answer != nullptr && length > 0 && (control & 0x40) == 0;
        const std::string reply = input_.Text();
        if (sent.Wrote) {
            const std::size_t copied = std::min<std::size_t>(reply.size(), length - 1);
            std::memcpy(answer, reply.data(), copied); // a longer answer than the buffer holds is cut
            answer[copied] = '\0';
            sent.Written = std::string(answer, std::strlen(answer));
        }
        Log.push_back(sent);
        return sent.Code;
    }

    bool ErrorString(std::uint32_t, char* text, std::uint32_t length) override
    {
        LastErrorKnown = (input_.Byte() & 1) != 0;
        const std::string reply = input_.Text();
        if (LastErrorKnown && length > 0) {
            const std::size_t copied = std::min<std::size_t>(reply.size(), length - 1);
            std::memcpy(text, reply.data(), copied);
            text[copied] = '\0';
            LastErrorText = std::string(text, std::strlen(text));
        }
        return LastErrorKnown;
    }

    std::uint32_t WaveOutDeviceCount() override { return WaveDevices; }

    std::int32_t PlaySoundName(const char* sound, std::uint32_t flags) override
    {
        Check(sound == nullptr ? flags == 0 : flags == (vessmark::SndAsync | vessmark::SndNoDefault | vessmark::SndLoop));
        Sounds.emplace_back(sound == nullptr ? "-" : sound);
        return 1;
    }

private:
    Input& input_;
};

class ScriptedPlatform final : public vessmark::ShowPlatform {
public:
    bool Starts = true;
    bool WindowExists = false;
    bool Ended = false;
    std::uint32_t Now = 0;
    int Messages = 0;
    bool StartRenderer(const std::string&, std::string& reason) override
    {
        reason = "no";
        return Starts;
    }
    bool RendererEnded() override { return Ended; }
    bool RendererWindowExists() override { return WindowExists; }
    void ShowCursor() override {}
    void ShowMessage(const std::string&) override { ++Messages; }
    std::uint32_t NowMs() override { return Now; }
};

constexpr char Music[] = "C:\\My Music\\song.mp3";
constexpr char Wave[] = "C:\\My Music\\loop.wav";
constexpr std::uint32_t MciAnswerLength = 512; // MciSend's own answer buffer
constexpr std::uint32_t Mp3ModeLength = 30;
constexpr std::uint32_t CdModeLength = 255;
constexpr std::uint32_t ErrorTextLength = 256;

bool IsMp3Command(const std::string& command)
{
    static const std::string open = std::string("open \"") + Music + "\" type MPEGVideo Alias MP3Play";
    return command == open || command == "play MP3Play" || command == "status MP3Play mode" ||
           command == "stop MP3Play" || command == "play MP3Play from 0" || command == "close MP3Play";
}

bool IsCdCommand(const std::string& command, std::int16_t repeat)
{
    return command == "open cdaudio" || command == "set cdaudio time format tmsf" ||
           command == "status cdaudio current track" || command == "status cdaudio number of tracks" ||
           command == "status cdaudio mode" || command == "play cdaudio" ||
           command == "status cdaudio position track " + std::to_string(repeat) ||
           command.rfind("play cdaudio from ", 0) == 0 || command == "stop cdaudio" ||
           command == "close cdaudio";
}

// The answer buffers each command may be given.
bool LengthFits(const Sent& sent)
{
    if (sent.Command == "status MP3Play mode") {
        return sent.Length == Mp3ModeLength;
    }
    if (sent.Command == "status cdaudio mode") {
        return sent.Length == CdModeLength;
    }
    return sent.Length == 0 || sent.Length == MciAnswerLength;
}

// The message of the last command sent through MciSend: its answer, or its
// error text, or the fixed text when the system has none.
void CheckMessage(const vessmark::BackgroundMusic& music, const ScriptedDevices& devices)
{
    for (auto sent = devices.Log.rbegin(); sent != devices.Log.rend(); ++sent) {
        if (sent->Length != MciAnswerLength) {
            continue;
        }
        if (sent->Code == 0) {
            Check(music.MciMessage == sent->Written); // empty when nothing was written
        } else if (!devices.LastErrorKnown) {
            Check(music.MciMessage == vessmark::MciNoErrorTextMessage);
        } else {
            Check(music.MciMessage == devices.LastErrorText && music.MciMessage.size() < ErrorTextLength);
        }
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    const std::uint8_t setup = input.Byte();
    vessmark::FrontEndState state;
    const vessmark::MusicChoice choice = static_cast<vessmark::MusicChoice>(setup & 3);
    switch (choice) {
    case vessmark::MusicChoice::None:
        state.BgmKind = static_cast<std::int16_t>(setup >> 4) - 4; // anything but 1 and 2 plays nothing
        if (state.BgmKind == vessmark::BgmKindCd || state.BgmKind == vessmark::BgmKindFile) {
            state.BgmKind = vessmark::BgmKindNone;
        }
        break;
    case vessmark::MusicChoice::Cd:
        state.BgmKind = vessmark::BgmKindCd;
        break;
    case vessmark::MusicChoice::Wav:
        state.BgmKind = vessmark::BgmKindFile;
        state.BgmFile = Wave;
        break;
    case vessmark::MusicChoice::Mp3:
        state.BgmKind = vessmark::BgmKindFile;
        state.BgmFile = Music;
        break;
    }
    state.BgmRepeat = static_cast<std::int16_t>(static_cast<std::int8_t>(input.Byte()) % 5);

    ScriptedDevices devices(input);
    devices.WaveDevices = (setup & 4) != 0 ? 0 : 2;
    ScriptedPlatform platform;
    platform.Starts = (setup & 8) == 0 || choice == vessmark::MusicChoice::None;
    vessmark::BackgroundMusic music(state, devices);
    vessmark::ShowRunner runner(state, music, platform, 'S');

    if (!runner.FormLoad("C:\\Saver")) {
        // A renderer that cannot start: reported, and no music at all.
        Check(!platform.Starts && platform.Messages == 1 && devices.Log.empty() && devices.Sounds.empty());
        return 0;
    }
    if (choice == vessmark::MusicChoice::Mp3) {
        Check(!devices.Log.empty() && IsMp3Command(devices.Log[0].Command) &&
              devices.Log[0].Command.rfind("open", 0) == 0);
        // Played only when it opened.
        Check(devices.Log.size() == (devices.Log[0].Code == 0 ? 2u : 1u));
    }
    if (choice == vessmark::MusicChoice::Wav) {
        Check(devices.Sounds.size() == (devices.WaveDevices > 0 ? 1u : 0u));
    }

    std::array<char, Mp3ModeLength> mp3Mode{}; // the runner's mode buffer, as the devices left it
    bool over = false;
    for (int tick = 0; tick < 64 && !input.Done() && !over; ++tick) {
        const std::uint8_t event = input.Byte();
        const std::size_t before = devices.Log.size();
        switch (event % 3) {
        case 0:
            if (!runner.Timer1Enabled) {
                break;
            }
            runner.Timer1Tick();
            {
                Check(devices.Log.size() > before && devices.Log[before].Command == "status MP3Play mode");
                const Sent& status = devices.Log[before];
                if (status.Wrote) {
                    mp3Mode.fill('\0');
                    std::memcpy(mp3Mode.data(), status.Written.data(), status.Written.size());
                }
                const bool playing = std::strncmp(mp3Mode.data(), "playing", 7) == 0;
                // What plays is left alone; everything else starts again from the top.
                Check(devices.Log.size() - before == (playing ? 1u : 3u));
                if (!playing) {
                    Check(devices.Log[before + 1].Command == "stop MP3Play" &&
                          devices.Log[before + 2].Command == "play MP3Play from 0");
                }
            }
            break;
        case 1:
            if (!runner.Timer2Enabled) {
                break;
            }
            runner.Timer2Tick();
            Check(runner.Timer2Enabled == state.CdActive);
            Check(devices.Log.size() > before && devices.Log[before].Command == "status cdaudio current track");
            CheckMessage(music, devices);
            break;
        default:
            platform.WindowExists = (event & 0x10) != 0;
            platform.Ended = (event & 0x20) != 0;
            platform.Now += 50 + (event & 0x40 ? 5000u : 0u);
            over = runner.Timer3Tick();
            Check(devices.Log.size() == before);
            break;
        }
        Check(runner.Timer1Enabled == (choice == vessmark::MusicChoice::Mp3));
        if (choice != vessmark::MusicChoice::Cd) {
            Check(!runner.Timer2Enabled);
        }
    }

    const std::size_t beforeEnd = devices.Log.size();
    const bool cdPolling = runner.Timer2Enabled;
    runner.FormQueryUnload();
    Check(!runner.Timer2Enabled);
    std::vector<std::string> atEnd;
    for (std::size_t i = beforeEnd; i < devices.Log.size(); ++i) {
        atEnd.push_back(devices.Log[i].Command);
    }
    switch (choice) {
    case vessmark::MusicChoice::Mp3:
        Check(atEnd == std::vector<std::string>{"stop MP3Play", "close MP3Play"});
        break;
    case vessmark::MusicChoice::Cd:
        Check(atEnd == (cdPolling ? std::vector<std::string>{"stop cdaudio", "close cdaudio"}
                                  : std::vector<std::string>{}));
        break;
    case vessmark::MusicChoice::Wav:
        Check(atEnd.empty() && !devices.Sounds.empty() && devices.Sounds.back() == "-");
        break;
    case vessmark::MusicChoice::None:
        Check(atEnd.empty() && devices.Sounds.empty());
        break;
    }

    // Only the chosen music's commands, each with a buffer of its own size.
    for (const Sent& sent : devices.Log) {
        Check(LengthFits(sent));
        switch (choice) {
        case vessmark::MusicChoice::Mp3:
            Check(IsMp3Command(sent.Command));
            break;
        case vessmark::MusicChoice::Cd:
            Check(IsCdCommand(sent.Command, state.BgmRepeat));
            break;
        default:
            Check(false);
        }
    }
    return 0;
}
