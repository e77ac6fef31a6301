#include "draw_path.h"

#include <charconv>

#include "extension_list.h"

namespace vessmark {

namespace {
constexpr GlVersion InstancingInCore{3, 3}; // vertex attribute divisors became core here
constexpr GlVersion ShadersInCore{2, 0};    // GLSL and buffer objects

bool AtLeast(const GlVersion& version, const GlVersion& wanted)
{
    return version.Major > wanted.Major || (version.Major == wanted.Major && version.Minor >= wanted.Minor);
}

// A number at the start of `text`, which then moves past it.
std::optional<int> TakeNumber(std::string_view& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}
} // namespace

std::optional<GlVersion> ParseGlVersion(std::string_view text)
{
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    const auto major = TakeNumber(text);
    if (!major || text.empty() || text.front() != '.') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    const auto minor = TakeNumber(text);
    if (!minor) {
        return std::nullopt;
    }
    return GlVersion{*major, *minor};
}

DrawPathChoice ChooseDrawPath(std::string_view version, std::string_view extensions, DrawPathRequest request)
{
    const auto parsed = ParseGlVersion(version);
    if (request == DrawPathRequest::Fixed || !parsed) {
        return {};
    }
    if (AtLeast(*parsed, InstancingInCore)) {
        return {DrawPath::Instanced, false};
    }
    if (AtLeast(*parsed, ShadersInCore) && HasExtension(extensions, "GL_ARB_instanced_arrays")
        && HasExtension(extensions, "GL_ARB_draw_instanced")) {
        return {DrawPath::Instanced, true};
    }
    return {};
}

std::optional<DrawPathRequest> ParseDrawPathRequest(std::string_view text)
{
    if (text == "auto") {
        return DrawPathRequest::Auto;
    }
    if (text == "fixed") {
        return DrawPathRequest::Fixed;
    }
    return std::nullopt;
}

const char* DrawPathName(DrawPath path)
{
    return path == DrawPath::Instanced ? "instanced" : "fixed";
}

} // namespace vessmark
