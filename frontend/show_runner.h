#pragma once
// The front end's side of a show: it starts the renderer, plays the music the
// settings ask for, watches for the renderer's window and, once the show is
// over, stops the music and ends. The hidden show window drives this with its
// three timers; the rules live here so that they can be tested without one.

#include <cstdint>
#include <string>

#include "background_music.h"
#include "front_end_state.h"

namespace vessmark {

inline constexpr char RendererFileName[] = "Vessmark.dll";
inline constexpr char RendererCaption[] = "VessmarkVC";
inline constexpr char RendererStartFailedText[] = "Vessmark.dll を起動できません。";
inline constexpr std::uint32_t Timer1Interval = 1000; // MP3 check
inline constexpr std::uint32_t Timer2Interval = 200;  // CD check
inline constexpr std::uint32_t Timer3Interval = 50;   // watch for the renderer
// A renderer that has shown no window this long after its start never will.
inline constexpr std::uint32_t RendererStartGraceMs = 10000;

enum class MusicChoice { None, Cd, Wav, Mp3 };

// The music a show plays: the CD for kind 1; for kind 2 the upper-cased last
// three characters of the path decide ("WAV" or "MP3", no dot needed); anything
// else plays nothing.
MusicChoice ChooseMusic(std::int16_t bgmKind, const std::string& bgmFile);

// The renderer's path: the program's folder, a backslash, the file name.
// Whatever encoding the folder is in, the path is in too.
std::string RendererPath(const std::string& programFolder);

// What a renderer that cannot be started shows: the fixed text, then the
// system's reason on its own line.
std::string RendererStartFailedMessage(const std::string& reason);

// The platform operations the show runner needs, as a seam.
class ShowPlatform {
public:
    virtual ~ShowPlatform() = default;
    // Starts the renderer (path in UTF-8) with no arguments; when it cannot be
    // started, false and the system's reason.
    virtual bool StartRenderer(const std::string& path, std::string& reason) = 0;
    // The renderer's process has ended (false while it runs or when it never started).
    virtual bool RendererEnded() = 0;
    virtual bool RendererWindowExists() = 0;
    virtual void ShowCursor() = 0;
    // A message box with the application title; returns when it is closed.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual std::uint32_t NowMs() = 0;
};

// The watch's decision on one tick. The show is over once the renderer's
// window has been seen and is gone, or its process has ended, or no window has
// appeared within the grace period; until then a missing window is a renderer
// still starting up.
class RendererWatch {
public:
    void Start(std::uint32_t nowMs)
    {
        startMs_ = nowMs;
        windowSeen_ = false;
    }
    bool ShowIsOver(bool windowExists, bool processEnded, std::uint32_t nowMs);

private:
    std::uint32_t startMs_ = 0;
    bool windowSeen_ = false;
};

class ShowRunner {
public:
    ShowRunner(FrontEndState& state, BackgroundMusic& music, ShowPlatform& platform, char switchLetter)
        : state_(state), music_(music), platform_(platform), switchLetter_(switchLetter)
    {
    }

    bool Timer1Enabled = false;
    bool Timer2Enabled = false;
    bool Timer3Enabled = true;

    // Starts the renderer, then the music. A renderer that cannot be started
    // (a file that is no program, say) gives the cursor back, is reported,
    // and no music plays: false, and the caller ends the program.
    bool FormLoad(const std::string& programFolder);
    void Timer1Tick();
    void Timer2Tick();
    // True when the show is over: the window must unload (FormQueryUnload).
    bool Timer3Tick();
    // Stops the music and gives the cursor back; the caller then ends the program.
    void FormQueryUnload();
    // Whether FormLoad started music of any kind (stopped again by FormQueryUnload).
    bool MusicStarted() const { return musicChoice_ != MusicChoice::None; }

private:
    FrontEndState& state_;
    BackgroundMusic& music_;
    ShowPlatform& platform_;
    char switchLetter_;
    MusicChoice musicChoice_ = MusicChoice::None;
    RendererWatch watch_;
};

} // namespace vessmark
