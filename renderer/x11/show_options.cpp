#include "show_options.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <sstream>

namespace vessmark {

namespace {

// The largest swarm and picture the off-screen mode accepts; beyond these a
// typo is far likelier than an intent.
constexpr int MaxSide = 16384;
constexpr int MaxFrames = 10000000;
constexpr int MaxStepMilliseconds = 60000;
constexpr int MaxTailLength = 100000;
constexpr int MaxLeaders = 1000000;
constexpr int MaxFollowers = 10000000;

// X resource ids have 29 bits; the top three are always clear.
constexpr unsigned long long MaxWindowId = 0x1FFFFFFF;

// Which modes an option belongs to.
enum class Scope {
    Any,
    Offscreen, // pictures and measurements of the off-screen mode
    Screen,    // only where there is a window to draw into
    Alone,     // a task instead of a show, with no other option
};

// What the command line asked for, before the modes are weighed.
struct Requests {
    bool Offscreen = false;
    bool AddToXScreenSaver = false;
    bool DrawPath = false; // --draw-path was given
    bool Root = false;
    std::optional<std::uint32_t> WindowId;
    std::vector<std::string> OffscreenOnly; // names of off-screen options given
    std::vector<std::string> ScreenOnly;    // names of on-screen options given
    int Given = 0;                          // options given
};

using Apply = std::function<std::string(ShowOptions&, Requests&, const std::string&)>; // returns an error

struct OptionSpec {
    const char* Name;
    const char* Value;       // placeholder in the help text; nullptr for a flag
    const char* Description;
    Scope Where;
    Apply Store;
};

std::optional<long long> ParseInteger(const std::string& text, int base = 10)
{
    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (text.empty() || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> InWindowIdRange(std::optional<long long> value)
{
    if (!value || *value < 1 || static_cast<unsigned long long>(*value) > MaxWindowId) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*value);
}

bool HasHexPrefix(const std::string& text)
{
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

Apply IntegerInto(long long lowest, long long highest, std::function<void(ShowOptions&, long long)> store)
{
    return [=](ShowOptions& options, Requests&, const std::string& text) -> std::string {
        const auto value = ParseInteger(text);
        if (!value || *value < lowest || *value > highest) {
            return "wants a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest)
                   + ", not '" + text + "'";
        }
        store(options, *value);
        return {};
    };
}

Apply FileInto(std::string ShowOptions::*field)
{
    return [field](ShowOptions& options, Requests&, const std::string& text) -> std::string {
        options.*field = text;
        return text.empty() ? std::string("wants a file name") : std::string();
    };
}

std::string ApplySize(ShowOptions& options, Requests&, const std::string& text)
{
    const auto x = text.find_first_of("xX");
    const auto width = x == std::string::npos ? std::nullopt : ParseInteger(text.substr(0, x));
    const auto height = x == std::string::npos ? std::nullopt : ParseInteger(text.substr(x + 1));
    if (!width || !height || *width < 1 || *height < 1 || *width > MaxSide || *height > MaxSide) {
        return "wants WIDTHxHEIGHT in pixels, each from 1 to " + std::to_string(MaxSide) + ", not '" + text + "'";
    }
    options.Width = static_cast<int>(*width);
    options.Height = static_cast<int>(*height);
    return {};
}

std::string ApplyDrawPath(ShowOptions& options, Requests& requests, const std::string& text)
{
    const auto request = ParseDrawPathRequest(text);
    if (!request) {
        return "wants auto or fixed, not '" + text + "'";
    }
    options.DrawPath = *request;
    requests.DrawPath = true;
    return {};
}

std::string ApplyWindowId(ShowOptions&, Requests& requests, const std::string& text)
{
    const auto id = ParseWindowId(text);
    if (!id) {
        return "wants a window id, decimal or 0x and hex digits (as xwininfo prints it), not '" + text + "'";
    }
    requests.WindowId = id;
    return {};
}

const std::vector<OptionSpec>& Specs()
{
    static const std::vector<OptionSpec> specs = {
        {"--root", nullptr, "draw into the root window, or into the window XSCREENSAVER_WINDOW names", Scope::Screen,
         [](ShowOptions&, Requests& r, const std::string&) { r.Root = true; return std::string(); }},
        {"--window-id", "ID", "draw into the window with this id (decimal or 0x-hex)", Scope::Screen, ApplyWindowId},
        {"--fps", nullptr, "show the frames per second in the bottom-left corner", Scope::Screen,
         [](ShowOptions& o, Requests&, const std::string&) { o.Fps = true; return std::string(); }},
        {"--draw-spheres", "0|1", "1: lit spheres (the show's setting); 0: lines or points", Scope::Any,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.DrawSpheres = static_cast<int>(v); })},
        {"--tail-length", "N", "stretch along the motion; 0: round spheres or points (show: 150)", Scope::Any,
         IntegerInto(0, MaxTailLength,
                     [](ShowOptions& o, long long v) { o.Overrides.TailLength = static_cast<int>(v); })},
        {"--show-links", "0|1", "1: a line from each follower to its leader (show: 0)", Scope::Any,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.ShowLinks = static_cast<int>(v); })},
        {"--depth-colouring", "0|1", "1: every object's hue from its depth (show: 0)", Scope::Any,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.DepthColouring = static_cast<int>(v); })},
        {"--draw-path", "auto|fixed",
         "fixed: draw with OpenGL 1.1 alone, as for old drivers; auto: the fastest way the driver has"
         " (default: VESSMARK_DRAW_PATH, else auto)",
         Scope::Any, ApplyDrawPath},
        {"--seed", "N", "seed of the show's random numbers (default: the calendar time)", Scope::Any,
         IntegerInto(0, std::numeric_limits<std::uint32_t>::max(),
                     [](ShowOptions& o, long long v) { o.Seed = static_cast<std::uint32_t>(v); })},
        {"--step-ms", "N", "fixed time step of every frame in milliseconds (default: the real clock)", Scope::Any,
         IntegerInto(0, MaxStepMilliseconds,
                     [](ShowOptions& o, long long v) { o.StepMilliseconds = static_cast<int>(v); })},
        {"--warm-up-frames", "N",
         "first move the swarm N frames of --step-ms without drawing them (frames counts those drawn after)",
         Scope::Any, IntegerInto(0, MaxFrames, [](ShowOptions& o, long long v) { o.WarmUpFrames = static_cast<int>(v); })},
        {"--frames", "N", "draw N frames and end, printing the frames per second (off-screen default 300)",
         Scope::Any, IntegerInto(1, MaxFrames, [](ShowOptions& o, long long v) { o.Frames = static_cast<int>(v); })},
        {"--output", "FILE", "write the last frame as a PNG (on the screen with --frames; off-screen default vessmark-show.png)", Scope::Any,
         FileInto(&ShowOptions::Output)},
        {"--offscreen", nullptr, "draw into an off-screen surface (Mesa), no display needed", Scope::Offscreen,
         [](ShowOptions&, Requests& r, const std::string&) { r.Offscreen = true; return std::string(); }},
        {"--size", "WxH", "picture size in pixels (default 640x480)", Scope::Offscreen, ApplySize},
        {"--dump", "FILE", "also write every object's state after the last frame as CSV", Scope::Offscreen,
         FileInto(&ShowOptions::Dump)},
        {"--leaders", "N", "number of leaders (show: 10)", Scope::Offscreen,
         IntegerInto(0, MaxLeaders, [](ShowOptions& o, long long v) { o.Overrides.LeaderCount = static_cast<int>(v); })},
        {"--followers", "N", "number of followers (show: 400)", Scope::Offscreen,
         IntegerInto(0, MaxFollowers,
                     [](ShowOptions& o, long long v) { o.Overrides.FollowerCount = static_cast<int>(v); })},
        {"--add-to-xscreensaver", nullptr,
         "put the show into your list of XScreenSaver's display modes in ~/.xscreensaver"
         " (the file as it was stays beside it, as ~/.xscreensaver.before-vessmark)",
         Scope::Alone, [](ShowOptions&, Requests& r, const std::string&) {
             r.AddToXScreenSaver = true;
             return std::string();
         }},
        {"--help", nullptr, "print this text and exit", Scope::Any,
         [](ShowOptions& o, Requests&, const std::string&) { o.Help = true; return std::string(); }},
    };
    return specs;
}

// "-root" is "--root": XScreenSaver's settings pass single-dash options.
std::string LongForm(const std::string& name)
{
    if (name.size() > 1 && name[0] == '-' && name[1] != '-') {
        return "-" + name;
    }
    return name;
}

// Weighs the modes the command line and the environment ask for. A bad
// command line is the caller's mistake (ShowExitUsage); a bad window in the
// environment is the framework's that started us, which sees it as a failure.
std::string ResolveMode(ShowOptions& options, const Requests& requests, const char* screensaverWindow,
                        int& errorExit)
{
    if (requests.AddToXScreenSaver) {
        if (requests.Given > 1) {
            return "--add-to-xscreensaver takes no other option";
        }
        options.Mode = ShowMode::AddToXScreenSaver;
        return {};
    }
    // On the real clock a skipped frame has no length of its own.
    if (options.WarmUpFrames > 0 && !options.StepMilliseconds) {
        return "--warm-up-frames needs --step-ms: the step of the frames it skips";
    }
    if (requests.Offscreen) {
        // XSCREENSAVER_WINDOW is left alone here: it belongs to whoever
        // started us, and an off-screen run draws no window.
        if (!requests.ScreenOnly.empty()) {
            return requests.ScreenOnly.front() + " draws on the screen and cannot be combined with --offscreen";
        }
        options.Mode = ShowMode::Offscreen;
        return {};
    }
    if (!requests.OffscreenOnly.empty()) {
        return requests.OffscreenOnly.front() + " is only for --offscreen: a show on the screen has the screen's size"
                                                " and the fixed swarm";
    }
    if (requests.Root && requests.WindowId) {
        return "--root and --window-id name two different windows; give one of them";
    }
    if (!options.Output.empty() && !options.Frames) {
        return "--output on the screen needs --frames: which frame to write";
    }
    if (requests.WindowId) {
        options.Mode = ShowMode::Window;
        options.WindowId = *requests.WindowId;
        return {};
    }
    // XScreenSaver starts a hack with -root and names its own window in the
    // environment; without -root the variable alone means the same.
    if (screensaverWindow != nullptr && *screensaverWindow != '\0') {
        // Read as XScreenSaver's own hacks read it: 0x and hex digits, else
        // decimal, which is how xsecurelock's multiplexer writes it.
        const auto id = ParseWindowId(screensaverWindow);
        if (!id) {
            errorExit = ShowExitFailed;
            return std::string(ScreensaverWindowVariable)
                   + " should hold a window id, 0x and hex digits or decimal (0x2c00007 or 46137351), not '"
                   + screensaverWindow + "'";
        }
        options.Mode = ShowMode::Window;
        options.WindowId = *id;
        options.WindowFromEnvironment = true;
        return {};
    }
    options.Mode = requests.Root ? ShowMode::Root : ShowMode::FullScreen;
    return {};
}

} // namespace

std::optional<std::uint32_t> ParseWindowId(const std::string& text)
{
    return InWindowIdRange(HasHexPrefix(text) ? ParseInteger(text.substr(2), 16) : ParseInteger(text));
}

ParsedOptions ParseShowOptions(const std::vector<std::string>& arguments, const char* screensaverWindow,
                               const char* drawPathVariable)
{
    ParsedOptions parsed;
    Requests requests;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto equals = argument.find('=');
        const std::string name = LongForm(argument.substr(0, equals));
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : Specs()) {
            if (name == candidate.Name) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            parsed.Error = "unknown option '" + argument + "' (see --help)";
            return parsed;
        }
        std::string value;
        if (option->Value != nullptr) {
            if (equals != std::string::npos) {
                value = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                parsed.Error = name + " wants a value (" + option->Value + ")";
                return parsed;
            }
        } else if (equals != std::string::npos) {
            parsed.Error = name + " takes no value";
            return parsed;
        }
        if (const std::string error = option->Store(parsed.Options, requests, value); !error.empty()) {
            parsed.Error = name + " " + error;
            return parsed;
        }
        ++requests.Given;
        if (option->Where == Scope::Offscreen) {
            requests.OffscreenOnly.push_back(name);
        } else if (option->Where == Scope::Screen) {
            requests.ScreenOnly.push_back(name);
        }
    }
    if (parsed.Options.Help) {
        return parsed;
    }
    if (!requests.DrawPath && drawPathVariable != nullptr && *drawPathVariable != '\0') {
        const auto request = ParseDrawPathRequest(drawPathVariable);
        if (!request) {
            parsed.Error = std::string(DrawPathVariable) + " should be auto or fixed, not '" + drawPathVariable + "'";
            return parsed;
        }
        parsed.Options.DrawPath = *request;
    }
    parsed.Error = ResolveMode(parsed.Options, requests, screensaverWindow, parsed.ErrorExit);
    return parsed;
}

void ApplyOverrides(const SettingOverrides& overrides, RendererSettings& settings)
{
    settings.DrawSpheres = overrides.DrawSpheres.value_or(settings.DrawSpheres);
    settings.TailLength = overrides.TailLength.value_or(settings.TailLength);
    settings.ShowLinks = overrides.ShowLinks.value_or(settings.ShowLinks);
    settings.DepthColouring = overrides.DepthColouring.value_or(settings.DepthColouring);
    settings.LeaderCount = overrides.LeaderCount.value_or(settings.LeaderCount);
    settings.FollowerCount = overrides.FollowerCount.value_or(settings.FollowerCount);
}

std::string ShowUsage()
{
    std::ostringstream text;
    text << "Usage: vessmark-show [--root | --window-id ID] [--fps] [OPTION]...\n"
            "       vessmark-show --offscreen [OPTION]...\n"
            "       vessmark-show --add-to-xscreensaver\n"
            "\n"
            "Draws the Vessmark show: 10 leaders wandering through a box and 400 followers\n"
            "chasing them, lit spheres stretched along their motion, on black.\n"
            "\n"
            "Without a mode it covers the screen of $DISPLAY and ends on a key press, a\n"
            "mouse button, a mouse move of more than 4 pixels after the first, or when\n"
            "another window takes the keyboard focus.\n"
            "\n"
            "As an XScreenSaver hack (--root, --window-id, or XSCREENSAVER_WINDOW set, 0x-hex\n"
            "or decimal) it draws into that window, follows its size, takes no input, and\n"
            "ends on SIGTERM or SIGINT or when the window is destroyed; SIGUSR1, a saver's\n"
            "reset, leaves the show running on.\n"
            "\n"
            "--offscreen draws the frames into an off-screen surface on Mesa (no display\n"
            "needed), writes the last one as a PNG and prints the frames per second it\n"
            "reached.\n"
            "\n"
            "Every option may also be written with one dash (-root, -window-id 0x2c00007).\n";
    const struct {
        Scope Where;
        const char* Heading;
    } groups[] = {
        {Scope::Screen, "On the screen:"},
        {Scope::Any, "In every mode (seed, step, frames and output make a run repeatable):"},
        {Scope::Offscreen, "Off-screen only:"},
        {Scope::Alone, "Instead of a show:"},
    };
    for (const auto& group : groups) {
        text << "\n" << group.Heading << "\n";
        for (const OptionSpec& option : Specs()) {
            if (option.Where != group.Where) {
                continue;
            }
            std::string left = std::string("  ") + option.Name;
            if (option.Value != nullptr) {
                left += std::string(" ") + option.Value;
            }
            left.resize(std::max<std::size_t>(left.size() + 1, 24), ' ');
            text << left << option.Description << "\n";
        }
    }
    text << "\n"
            "Exit status: 0 done (the show was ended as it should be), 1 no display, no\n"
            "OpenGL, no such window, or a surface or file that could not be made (with\n"
            "--add-to-xscreensaver: a file that could not be read, understood or written,\n"
            "which is then left as it was), 2 a bad command line, 3 not enough memory for\n"
            "the objects.\n";
    return text.str();
}

} // namespace vessmark
