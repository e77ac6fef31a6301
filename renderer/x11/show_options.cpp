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

struct OptionSpec {
    const char* Name;
    const char* Value;       // placeholder in the help text; nullptr for a flag
    const char* Description;
    bool OffscreenOnly;
    std::function<std::string(ShowOptions&, const std::string&)> Apply; // returns an error
};

std::optional<long long> ParseInteger(const std::string& text)
{
    long long value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

std::function<std::string(ShowOptions&, const std::string&)> IntegerInto(
    long long lowest, long long highest, std::function<void(ShowOptions&, long long)> store)
{
    return [=](ShowOptions& options, const std::string& text) -> std::string {
        const auto value = ParseInteger(text);
        if (!value || *value < lowest || *value > highest) {
            return "wants a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest)
                   + ", not '" + text + "'";
        }
        store(options, *value);
        return {};
    };
}

std::string ApplySize(ShowOptions& options, const std::string& text)
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

const std::vector<OptionSpec>& Specs()
{
    static const std::vector<OptionSpec> specs = {
        {"--offscreen", nullptr, "draw into an off-screen surface (Mesa), write the last frame as a PNG", false,
         [](ShowOptions& o, const std::string&) { o.Mode = ShowMode::Offscreen; return std::string(); }},
        {"--size", "WxH", "picture size in pixels (default 640x480)", true, ApplySize},
        {"--seed", "N", "seed of the show's random numbers (default: the calendar time)", true,
         IntegerInto(0, std::numeric_limits<std::uint32_t>::max(),
                     [](ShowOptions& o, long long v) { o.Seed = static_cast<std::uint32_t>(v); })},
        {"--frames", "N", "number of frames to draw (default 300)", true,
         IntegerInto(1, MaxFrames, [](ShowOptions& o, long long v) { o.Frames = static_cast<int>(v); })},
        {"--step-ms", "N", "fixed time step of every frame in milliseconds (default: the real clock)", true,
         IntegerInto(0, MaxStepMilliseconds,
                     [](ShowOptions& o, long long v) { o.StepMilliseconds = static_cast<int>(v); })},
        {"--output", "FILE", "PNG file for the last frame (default vessmark-show.png)", true,
         [](ShowOptions& o, const std::string& v) {
             o.Output = v;
             return v.empty() ? std::string("wants a file name") : std::string();
         }},
        {"--dump", "FILE", "also write every object's state after the last frame as CSV", true,
         [](ShowOptions& o, const std::string& v) {
             o.Dump = v;
             return v.empty() ? std::string("wants a file name") : std::string();
         }},
        {"--draw-spheres", "0|1", "1: lit spheres (the show's setting); 0: lines or points", true,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.DrawSpheres = static_cast<int>(v); })},
        {"--tail-length", "N", "stretch along the motion; 0: round spheres or points (show: 150)", true,
         IntegerInto(0, MaxTailLength,
                     [](ShowOptions& o, long long v) { o.Overrides.TailLength = static_cast<int>(v); })},
        {"--show-links", "0|1", "1: a line from each follower to its leader (show: 0)", true,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.ShowLinks = static_cast<int>(v); })},
        {"--depth-colouring", "0|1", "1: every object's hue from its depth (show: 0)", true,
         IntegerInto(0, 1, [](ShowOptions& o, long long v) { o.Overrides.DepthColouring = static_cast<int>(v); })},
        {"--leaders", "N", "number of leaders (show: 10)", true,
         IntegerInto(0, MaxLeaders, [](ShowOptions& o, long long v) { o.Overrides.LeaderCount = static_cast<int>(v); })},
        {"--followers", "N", "number of followers (show: 400)", true,
         IntegerInto(0, MaxFollowers,
                     [](ShowOptions& o, long long v) { o.Overrides.FollowerCount = static_cast<int>(v); })},
        {"--help", nullptr, "print this text and exit", false,
         [](ShowOptions& o, const std::string&) { o.Help = true; return std::string(); }},
    };
    return specs;
}

} // namespace

ParsedOptions ParseShowOptions(const std::vector<std::string>& arguments)
{
    ParsedOptions parsed;
    std::vector<std::string> offscreenOnly;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : Specs()) {
            if (name == candidate.Name) {
                option = &candidate;
            }
        }
        if (option == nullptr || argument.rfind("--", 0) != 0) {
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
        if (const std::string error = option->Apply(parsed.Options, value); !error.empty()) {
            parsed.Error = name + " " + error;
            return parsed;
        }
        if (option->OffscreenOnly) {
            offscreenOnly.push_back(name);
        }
    }
    if (parsed.Options.Help) {
        return parsed;
    }
    if (parsed.Options.Mode != ShowMode::Offscreen) {
        parsed.Error = offscreenOnly.empty()
                           ? std::string("no mode given: this build draws off-screen only; use --offscreen (see --help)")
                           : offscreenOnly.front() + " is only for --offscreen: a real show keeps its fixed settings";
    }
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
    text << "Usage: vessmark-show --offscreen [OPTION]...\n"
            "\n"
            "Draws the Vessmark show: 10 leaders wandering through a box and 400 followers\n"
            "chasing them, lit spheres stretched along their motion, on black.\n"
            "\n"
            "--offscreen draws the frames into an off-screen surface on Mesa (no display\n"
            "needed), writes the last one as a PNG and prints the frames per second it\n"
            "reached. The options after it exist only in this mode.\n"
            "\n";
    for (const OptionSpec& option : Specs()) {
        std::string left = std::string("  ") + option.Name;
        if (option.Value != nullptr) {
            left += std::string(" ") + option.Value;
        }
        left.resize(std::max<std::size_t>(left.size() + 1, 24), ' ');
        text << left << option.Description << "\n";
    }
    text << "\n"
            "Exit status: 0 done, 1 the surface or a file could not be made, 2 a bad\n"
            "command line, 3 not enough memory for the objects.\n";
    return text.str();
}

} // namespace vessmark
