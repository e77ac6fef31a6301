#pragma once
// The command line of vessmark-show. Parsing is kept apart from running so
// that every option and every refusal can be checked without a display.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "draw_path.h"
#include "renderer_settings.h"

namespace vessmark {

// Exit codes of vessmark-show.
inline constexpr int ShowExitDone = 0;
inline constexpr int ShowExitFailed = 1;   // no display, no OpenGL, no surface, or a file could not be written
inline constexpr int ShowExitUsage = 2;    // the command line was not understood
inline constexpr int ShowExitNoMemory = 3; // the object arrays could not be allocated

// The environment variable through which a saver framework names the window
// a hack draws into: XScreenSaver writes it as 0x and hex digits,
// xsecurelock's multiplexer in decimal.
inline constexpr const char* ScreensaverWindowVariable = "XSCREENSAVER_WINDOW";

enum class ShowMode {
    FullScreen, // a window of its own over the whole screen, ended by input
    Root,       // the root window of the display, no input
    Window,     // a window another program made (WindowId), no input
    Offscreen,  // draw into an off-screen surface and write the last frame
    AddToXScreenSaver, // no show: put it into the user's list of XScreenSaver's display modes
};

// Changes to the show's fixed settings, for pictures, tests and the
// XScreenSaver settings; without them every show runs with the fixed values.
struct SettingOverrides {
    std::optional<int> DrawSpheres;
    std::optional<int> TailLength;
    std::optional<int> ShowLinks;
    std::optional<int> DepthColouring;
    std::optional<int> LeaderCount;
    std::optional<int> FollowerCount;
};

// Frames an off-screen run draws when not told.
inline constexpr int DefaultOffscreenFrames = 300;
inline constexpr const char* DefaultOffscreenOutput = "vessmark-show.png";

struct ShowOptions {
    ShowMode Mode = ShowMode::FullScreen;
    bool Help = false;
    std::uint32_t WindowId = 0; // ShowMode::Window: the window to draw into
    bool WindowFromEnvironment = false; // WindowId came from XSCREENSAVER_WINDOW
    bool Fps = false;           // frames per second in a corner of the picture
    int Width = 640;            // off-screen picture size
    int Height = 480;
    std::optional<std::uint32_t> Seed;  // none: the calendar time, as a real show
    std::optional<int> Frames;          // none: off-screen 300, on the screen until the show ends
    std::optional<int> StepMilliseconds; // none: the real clock
    int WarmUpFrames = 0;                // frames of motion before the first drawn one (needs the fixed step)
    std::string Output;                  // PNG of the last frame; empty: off-screen the default name, on the screen none
    std::string Dump;                    // empty: no dump
    DrawPathRequest DrawPath = DrawPathRequest::Auto; // --draw-path, else VESSMARK_DRAW_PATH
    SettingOverrides Overrides;
};

struct ParsedOptions {
    ShowOptions Options;
    std::string Error;             // empty when the command line was understood
    int ErrorExit = ShowExitUsage; // the exit code that goes with Error
};

// argv without the program name, and the values of XSCREENSAVER_WINDOW and
// VESSMARK_DRAW_PATH (null when not set; the option wins over the latter).
// Accepts "--name value" and "--name=value", and every option with a single
// dash too, as XScreenSaver's hacks do ("-root").
ParsedOptions ParseShowOptions(const std::vector<std::string>& arguments, const char* screensaverWindow = nullptr,
                               const char* drawPathVariable = nullptr);

// A window id as a person or XScreenSaver writes it: decimal, or hexadecimal
// after "0x". Nothing for anything else, for 0 and for numbers beyond X's
// 29-bit ids.
std::optional<std::uint32_t> ParseWindowId(const std::string& text);

// The show's settings with the overrides put in.
void ApplyOverrides(const SettingOverrides& overrides, RendererSettings& settings);

// The text of --help.
std::string ShowUsage();

} // namespace vessmark
