#pragma once
// The screen-saver command line: "/s" runs a show, "/c" the settings, "/p N"
// fills the preview pane whose window handle is N.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vessmark {

// The command line without the program's own name (quoted or not) and without
// the blanks that follow it; may be empty.
std::string ArgumentText(std::string_view commandLine);

// The second character of the argument text, folded to upper case; the first
// (normally "/" or "-") is never looked at. '\0' when the text is shorter.
char SwitchLetter(std::string_view argumentText);

// The preview pane's handle: the argument text from its fourth character, read
// as a decimal number the forgiving way (blanks anywhere are skipped, reading
// stops at the first character that cannot continue the number, no number is
// 0) and rounded to a 32-bit integer, halves to even. Nothing when the number
// does not fit.
std::optional<std::int32_t> PreviewParentHandle(std::string_view argumentText);

} // namespace vessmark
