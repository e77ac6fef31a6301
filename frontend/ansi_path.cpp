#include "ansi_path.h"

namespace vessmark {

std::optional<std::string> AnsiPathFor(const std::wstring& path, PathPort& port, std::size_t maxBytes)
{
    const auto fits = [maxBytes](const std::optional<std::string>& ansi) { return ansi && ansi->size() <= maxBytes; };
    if (auto ansi = port.ToAnsi(path); fits(ansi)) {
        return ansi;
    }
    if (const auto shortForm = port.ShortForm(path)) {
        if (auto ansi = port.ToAnsi(*shortForm); fits(ansi)) {
            return ansi;
        }
    }
    return std::nullopt;
}

} // namespace vessmark
