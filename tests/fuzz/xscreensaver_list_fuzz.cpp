// Fuzzes the edit of ~/.xscreensaver that puts the show into XScreenSaver's
// list, with any bytes as the user's file (or, after a first 0 byte, as
// XScreenSaver's defaults for a user without a file). An added entry keeps
// every byte of a file that had a list, in order, with one insertion, and
// the edited file lists the show, so a second run changes nothing.

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "xscreensaver_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using vessmark::ProgramsEdit;
    using vessmark::fuzz::Check;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool noFile = !bytes.empty() && bytes[0] == '\0';
    const std::optional<std::string> file = noFile ? std::nullopt : std::optional<std::string>(bytes);
    const std::string defaults = noFile ? bytes.substr(1) : "*programs:\t\\\n\t\tmaze --root\t\\n\n";
    const char* program = "/usr/libexec/xscreensaver/vessmark-show";

    const ProgramsEdit edit = vessmark::AddShowEntry(file, defaults, program);
    if (edit.Result != ProgramsEdit::Outcome::Added) {
        return 0;
    }
    if (file) {
        std::size_t head = 0;
        while (head < file->size() && (*file)[head] == edit.Text[head]) {
            ++head;
        }
        // Only a file without a list of its own gets one appended, after all its bytes.
        const std::size_t tail = file->size() - head;
        Check(edit.Text.size() > file->size() && (head == file->size() || !edit.ListFromDefaults)
              && edit.Text.compare(edit.Text.size() - tail, tail, *file, head, tail) == 0);
    }
    Check(vessmark::AddShowEntry(edit.Text, defaults, program).Result == ProgramsEdit::Outcome::AlreadyListed);
    return 0;
}
