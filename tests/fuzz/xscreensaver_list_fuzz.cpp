// Fuzzes the edit of ~/.xscreensaver that puts the show into XScreenSaver's
// list, with any bytes as the user's file (or, after a first 0 byte, as
// XScreenSaver's defaults for a user without a file). Whatever the bytes: an
// added entry keeps every byte of a file that had a list, in order, with one
// insertion; the edited file lists the show, so a second run changes nothing;
// a refused or listed file yields no new text.

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "xscreensaver_list.h"

namespace {

using vessmark::ProgramsEdit;
using vessmark::fuzz::Check;

constexpr const char* Program = "/usr/libexec/xscreensaver/vessmark-show";

const std::string Defaults = "*programs:\t\\\n\t\tmaze --root\t\\n\\\n  GL: \t\tgears --root\t\\n\n";

bool KeptWithOneInsertion(const std::string& before, const std::string& after)
{
    std::size_t head = 0;
    while (head < before.size() && before[head] == after[head]) {
        ++head;
    }
    return after.size() > before.size() && after.compare(after.size() - (before.size() - head), std::string::npos,
                                                         before, head, std::string::npos) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool noFile = !bytes.empty() && bytes[0] == '\0';
    const std::optional<std::string> file = noFile ? std::nullopt : std::optional<std::string>(bytes);
    const std::string defaults = noFile ? bytes.substr(1) : Defaults;

    const ProgramsEdit edit = vessmark::AddShowEntry(file, defaults, Program);
    if (edit.Result != ProgramsEdit::Outcome::Added) {
        Check(edit.Text.empty());
        return 0;
    }
    if (file && !edit.ListFromDefaults) {
        Check(KeptWithOneInsertion(*file, edit.Text));
    } else if (file) {
        Check(edit.Text.compare(0, file->size(), *file) == 0);
    }
    const ProgramsEdit again = vessmark::AddShowEntry(edit.Text, defaults, Program);
    Check(again.Result == ProgramsEdit::Outcome::AlreadyListed && !again.Disabled);
    return 0;
}
