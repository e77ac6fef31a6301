#pragma once
// Reading numbers written as text by people and by devices.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vessmark {

// A number is: optional blanks (spaces or tabs), an optional sign, digits with
// an optional fraction ("12", "12.", "12.5", ".5"), an optional exponent
// ("e3", "E-2"), optional blanks. Nothing else: no hex, no thousands
// separators, no "inf" or "nan", nothing empty. The decimal point is always
// ".", whatever the locale.
std::optional<double> ParseNumber(std::string_view text);

// The length of the number (as above, without blanks) that the text begins
// with, or 0 when it begins with none. "12e" begins with the number 12.
std::size_t LeadingNumberLength(std::string_view text);

} // namespace vessmark
