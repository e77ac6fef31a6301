#include "command_line.h"

#include "number_text.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace vessmark {

namespace {
constexpr std::size_t HandleOffset = 3; // "/p " then the number

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The text without its blanks: the handle is read the forgiving way.
std::string WithoutBlanks(std::string_view text)
{
    std::string packed;
    for (char c : text) {
        if (!IsBlank(c)) {
            packed += c;
        }
    }
    return packed;
}
} // namespace

std::string ArgumentText(std::string_view commandLine)
{
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t close = commandLine.find('"', 1);
        at = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (at < commandLine.size() && commandLine[at] != ' ' && commandLine[at] != '\t') {
        ++at;
    }
    while (at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t')) {
        ++at;
    }
    return std::string(commandLine.substr(at));
}

char SwitchLetter(std::string_view argumentText)
{
    if (argumentText.size() < 2) {
        return '\0';
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(argumentText[1])));
}

std::optional<std::int32_t> PreviewParentHandle(std::string_view argumentText)
{
    if (argumentText.size() <= HandleOffset) {
        return 0;
    }
    const std::string packed = WithoutBlanks(argumentText.substr(HandleOffset));
    const std::size_t length = LeadingNumberLength(packed);
    if (length == 0) {
        return 0;
    }
    const std::optional<double> number = ParseNumber(std::string_view(packed).substr(0, length));
    if (!number) {
        return std::nullopt; // beyond any double
    }
    const double value = std::nearbyint(*number); // halves to even
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace vessmark
