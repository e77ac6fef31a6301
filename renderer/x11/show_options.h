#pragma once
// The command line of vessmark-show. Parsing is kept apart from running so
// that every option and every refusal can be checked without a display.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "renderer_settings.h"

namespace vessmark {

// Exit codes of vessmark-show.
inline constexpr int ShowExitDone = 0;
inline constexpr int ShowExitFailed = 1;   // no surface, or a file could not be written
inline constexpr int ShowExitUsage = 2;    // the command line was not understood
inline constexpr int ShowExitNoMemory = 3; // the object arrays could not be allocated

enum class ShowMode {
    None,      // no mode asked for
    Offscreen, // draw into an off-screen surface and write the last frame
};

// Changes to the show's fixed settings. They exist for pictures, tests and
// measurements only: a real show always runs with the fixed values.
struct SettingOverrides {
    std::optional<int> DrawSpheres;
    std::optional<int> TailLength;
    std::optional<int> ShowLinks;
    std::optional<int> DepthColouring;
    std::optional<int> LeaderCount;
    std::optional<int> FollowerCount;
};

struct ShowOptions {
    ShowMode Mode = ShowMode::None;
    bool Help = false;
    int Width = 640;
    int Height = 480;
    std::optional<std::uint32_t> Seed;  // none: the calendar time, as a real show
    int Frames = 300;
    std::optional<int> StepMilliseconds; // none: the real clock
    std::string Output = "vessmark-show.png";
    std::string Dump;                    // empty: no dump
    SettingOverrides Overrides;
};

struct ParsedOptions {
    ShowOptions Options;
    std::string Error; // empty when the command line was understood
};

// argv without the program name. Accepts "--name value" and "--name=value".
ParsedOptions ParseShowOptions(const std::vector<std::string>& arguments);

// The show's settings with the overrides put in.
void ApplyOverrides(const SettingOverrides& overrides, RendererSettings& settings);

// The text of --help.
std::string ShowUsage();

} // namespace vessmark
