#include "ansi_path.h"

namespace vessmark {

std::optional<std::string> AnsiPathFor(const std::wstring& path, PathPort& port)
{
    if (auto ansi = port.ToAnsi(path)) {
        return ansi;
    }
    if (const auto shortForm = port.ShortForm(path)) {
        return port.ToAnsi(*shortForm);
    }
    return std::nullopt;
}

} // namespace vessmark
