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

    // Check the grammar by hand; from_chars then does the exact conversion.
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t mantissa = at;
    at = SkipDigits(text, at);
    std::size_t digits = at - mantissa;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction = ++at;
        at = SkipDigits(text, at);
        digits += at - fraction;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    bool tinyExponent = false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            tinyExponent = text[at] == '-';
            ++at;
        }
        const std::size_t exponent = at;
        at = SkipDigits(text, at);
        if (at == exponent) {
            return std::nullopt;
        }
    }
    if (at != text.size()) {
        return std::nullopt;
    }

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
