#include "number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vessmark {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
    }
    return at;
}
} // namespace

std::size_t LeadingNumberLength(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    const std::size_t whole = at;
    at = SkipDigits(text, at);
    std::size_t digits = at - whole;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction = ++at;
        at = SkipDigits(text, at);
        digits += at - fraction;
    }
    if (digits == 0) {
        return 0;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        const std::size_t afterExponent = SkipDigits(text, exponent);
        if (afterExponent > exponent) {
            at = afterExponent; // "12e" alone is the number 12 followed by an "e"
        }
    }
    return at;
}

std::optional<double> ParseNumber(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    text = text.substr(begin, end - begin);
    if (text.empty() || LeadingNumberLength(text) != text.size()) {
        return std::nullopt;
    }

    // The grammar holds; from_chars does the exact conversion of the unsigned part.
    const bool negative = text.front() == '-';
    const std::size_t mantissa = (text.front() == '-' || text.front() == '+') ? 1 : 0;
    const std::size_t exponent = text.find_first_of("eE");
    const bool tinyExponent = exponent != std::string_view::npos && exponent + 1 < text.size() &&
                              text[exponent + 1] == '-';
    std::string unsignedText(text.substr(mantissa));
    if (unsignedText.front() == '.') {
        unsignedText.insert(unsignedText.begin(), '0');
    }
    double value = 0.0;
    const auto [last, error] =
        std::from_chars(unsignedText.data(), unsignedText.data() + unsignedText.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Below the smallest double it is zero for every use here; above the
        // largest it is no number that any caller could store.
        if (tinyExponent) {
            return negative ? -0.0 : 0.0;
        }
        return std::nullopt;
    }
    if (error != std::errc() || last != unsignedText.data() + unsignedText.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace vessmark
