#pragma once
// Paths for the functions that only take text in the system's ANSI code page
// (the settings file's profile functions, MCI). A folder such as
// "C:\Users\Иван\..." cannot be written in code page 1252; its short
// form usually can, and names the same folder.

#include <cstddef>
#include <optional>
#include <string>

namespace vessmark {

class PathPort {
public:
    virtual ~PathPort() = default;
    // The path in the ANSI code page, when every character survives the trip
    // there and back (no best-fit substitutes, no default character).
    virtual std::optional<std::string> ToAnsi(const std::wstring& path) = 0;
    // The path's short form, when the volume keeps short names; the path must exist.
    virtual std::optional<std::wstring> ShortForm(const std::wstring& path) = 0;
};

// The path as the ANSI functions can open it: the path itself when the code
// page holds it, else its short form when that is held, else nothing. A form
// longer than maxBytes does not count.
std::optional<std::string> AnsiPathFor(const std::wstring& path, PathPort& port,
                                       std::size_t maxBytes = std::string::npos);

} // namespace vessmark
