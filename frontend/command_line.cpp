#include "command_line.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vessmark {

namespace {
constexpr std::size_t HandleOffset = 3; // "/p " then the number

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(const std::string& text, std::size_t at)
{
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
    }
    return at;
}

// The longest leading number of the text once its blanks are gone, ready for
// strtod; empty when the text does not begin with one.
std::string LeadingNumber(std::string_view text)
{
    std::string packed;
    for (char c : text) {
        if (!IsBlank(c)) {
            packed += c;
        }
    }
    std::size_t at = 0;
    if (at < packed.size() && (packed[at] == '+' || packed[at] == '-')) {
        ++at;
    }
    const std::size_t whole = at;
    at = SkipDigits(packed, at);
    std::size_t digits = at - whole;
    if (at < packed.size() && packed[at] == '.') {
        const std::size_t fraction = ++at;
        at = SkipDigits(packed, at);
        digits += at - fraction;
    }
    if (digits == 0) {
        return {};
    }
    std::size_t end = at;
    if (at < packed.size() && (packed[at] == 'e' || packed[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < packed.size() && (packed[exponent] == '+' || packed[exponent] == '-')) {
            ++exponent;
        }
        const std::size_t afterExponent = SkipDigits(packed, exponent);
        if (afterExponent > exponent) {
            end = afterExponent; // "12e" alone stops before the "e"
        }
    }
    return packed.substr(0, end);
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
    const std::string number = LeadingNumber(argumentText.substr(HandleOffset));
    if (number.empty()) {
        return 0;
    }
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr)); // halves to even
    if (!std::isfinite(value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace vessmark
