// Drives the front end's settings-file and music modules with the real
// Windows functions, for the end-to-end tests. Not shipped.
//
//   music_driver write-settings INI KIND REPEAT FILE
//   music_driver load-settings INI
//   music_driver wav FILE PLAY_MS AFTER_MS MARKERS
//   music_driver mp3 FILE DEADLINE_MS AFTER_MS MARKERS
//   music_driver cd REPEAT POLLS
//   music_driver wave-devices
//
// MARKERS is a folder: the driver creates an empty file there at each step
// ("playing", "ended", "restarted", "stopped", "done") so that the test can
// tell where in its recording each step fell.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "background_music.h"
#include "platform_ports.h"
#include "settings_file.h"

namespace {

using vessmark::BackgroundMusic;
using vessmark::FrontEndState;

// The music module over the real Windows functions.
struct RealMusic {
    explicit RealMusic(std::string file) { State.BgmFile = std::move(file); }
    FrontEndState State;
    vessmark::WinmmPort Port;
    BackgroundMusic Music{State, Port};
};

// Tells apart "PlaySound was called" from "it was not": no call returns this.
constexpr std::int32_t NotCalled = 0x7EADBEEF;

void Mark(const std::string& folder, const char* step)
{
    const std::string path = folder + "\\" + step;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    std::printf("%s\n", step);
    std::fflush(stdout);
}

// Waits until the condition holds or the deadline passes; true when it held.
template <typename Condition>
bool WaitFor(Condition condition, DWORD deadlineMs)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > deadlineMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: music_driver write-settings|load-settings|wav|mp3|cd|wave-devices ...\n");
    return 2;
}

int WriteSettings(int argc, char** argv)
{
    if (argc != 6) {
        return Usage();
    }
    FrontEndState state;
    state.BgmKind = static_cast<std::int16_t>(std::atoi(argv[3]));
    state.BgmRepeat = static_cast<std::int16_t>(std::atoi(argv[4]));
    state.BgmFile = argv[5];
    vessmark::PrivateProfilePort profile;
    vessmark::SaveSettings(state, profile, argv[2]);
    return 0;
}

int LoadSettings(int argc, char** argv)
{
    if (argc != 3) {
        return Usage();
    }
    FrontEndState state;
    vessmark::PrivateProfilePort profile;
    vessmark::LoadSettings(state, profile, argv[2]);
    std::printf("kind=%d\nrepeat=%d\nfile=%s\n", state.BgmKind, state.BgmRepeat, state.BgmFile.c_str());
    return 0;
}

int Wav(int argc, char** argv)
{
    if (argc != 6) {
        return Usage();
    }
    RealMusic real(argv[2]);
    BackgroundMusic& music = real.Music;
    const std::string markers = argv[5];
    std::printf("devices=%u\n", real.Port.WaveOutDeviceCount());
    real.State.ApiResult = NotCalled;
    music.WavPlay();
    std::printf("play-sound-called=%d\n", real.State.ApiResult != NotCalled ? 1 : 0);
    Mark(markers, "playing");
    Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    music.WavStop();
    Mark(markers, "stopped");
    Sleep(static_cast<DWORD>(std::atoi(argv[4])));
    Mark(markers, "done");
    return 0;
}

int Mp3(int argc, char** argv)
{
    if (argc != 6) {
        return Usage();
    }
    RealMusic real(argv[2]);
    BackgroundMusic& music = real.Music;
    const std::string markers = argv[5];
    const DWORD deadline = static_cast<DWORD>(std::atoi(argv[3]));

    music.Mp3Play();
    if (!WaitFor([&] { return music.Mp3IsPlaying(); }, deadline)) {
        std::printf("never playing\n");
        music.Mp3Stop();
        return 3;
    }
    Mark(markers, "playing");
    // The file is shorter than the show: wait for its end, as the show does.
    if (!WaitFor([&] { return !music.Mp3IsPlaying(); }, deadline)) {
        std::printf("never ended\n");
        music.Mp3Stop();
        return 4;
    }
    Mark(markers, "ended");
    music.Mp3Check();
    if (!music.Mp3IsPlaying()) {
        std::printf("not restarted\n");
        music.Mp3Stop();
        return 5;
    }
    Mark(markers, "restarted");
    Sleep(1500);
    music.Mp3Stop();
    Mark(markers, "stopped");
    Sleep(static_cast<DWORD>(std::atoi(argv[4])));
    Mark(markers, "done");
    return 0;
}

int Cd(int argc, char** argv)
{
    if (argc != 4) {
        return Usage();
    }
    FrontEndState state;
    state.BgmRepeat = static_cast<std::int16_t>(std::atoi(argv[2]));
    vessmark::WinmmPort port;
    BackgroundMusic music(state, port);
    music.CdOpen();
    std::printf("open-result=%d\n", state.ApiResult);
    const int polls = std::atoi(argv[3]);
    int done = 0;
    for (; done < polls; ++done) {
        music.CdCheck();
        if (!state.CdActive) {
            break;
        }
    }
    std::printf("polls=%d\nactive=%d\nmessage=%s\n", done + 1, state.CdActive ? 1 : 0, music.MciMessage.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return Usage();
    }
    const std::string verb = argv[1];
    if (verb == "write-settings") {
        return WriteSettings(argc, argv);
    }
    if (verb == "load-settings") {
        return LoadSettings(argc, argv);
    }
    if (verb == "wav") {
        return Wav(argc, argv);
    }
    if (verb == "mp3") {
        return Mp3(argc, argv);
    }
    if (verb == "cd") {
        return Cd(argc, argv);
    }
    if (verb == "wave-devices") {
        std::printf("devices=%u\n", vessmark::WinmmPort().WaveOutDeviceCount());
        return 0;
    }
    return Usage();
}
