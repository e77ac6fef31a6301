#include "extension_list.h"

namespace vessmark {

bool HasExtension(std::string_view list, std::string_view name)
{
    if (name.empty()) {
        return false;
    }
    for (std::size_t at = list.find(name); at != std::string_view::npos; at = list.find(name, at + 1)) {
        const bool startsWord = at == 0 || list[at - 1] == ' ';
        const std::size_t end = at + name.size();
        const bool endsWord = end == list.size() || list[end] == ' ';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

} // namespace vessmark
