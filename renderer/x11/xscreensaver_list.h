#pragma once
// The show's entry in XScreenSaver's list of display modes, the "programs"
// setting of ~/.xscreensaver. XScreenSaver has no folder where a package
// could drop its hacks, so each user's file is edited, and edited with care:
// every byte already there stays, and a file this code cannot read is left
// alone.

#include <optional>
#include <string>

namespace vessmark {

// The program as a programs entry names it, without a folder.
inline constexpr const char* ShowProgramName = "vessmark-show";

struct ProgramsEdit {
    enum class Outcome {
        Added,         // Text is the new file
        AlreadyListed, // nothing to do; Detail quotes the entry
        Unreadable,    // the file is not what XScreenSaver writes or reads; Detail says where
        NoDefaults,    // the file has no list and XScreenSaver's default one was not found
    };
    Outcome Result = Outcome::Unreadable;
    std::string Text;
    std::string Detail;
    bool ListFromDefaults = false; // Added: the file had no list, so XScreenSaver's default one came along
    bool Disabled = false;         // AlreadyListed: the entry is there but marked inactive ("-")
};

// The show's entry: "GL: "Vessmark" <program> --root". GL: asks XScreenSaver
// for an OpenGL visual; the name in quotes is what xscreensaver-settings
// lists, which without it would be the program's name.
std::string ShowEntry(const std::string& program);

// Adds the show's entry at the top of the list in `userFile` (the
// bytes of ~/.xscreensaver; nothing when there is no such file), unless an
// entry runs a program named vessmark-show already. A file without a list
// gets XScreenSaver's whole default list from `defaults` (the bytes of its
// app-defaults file) with the entry in it: XScreenSaver reads a list as the
// complete one, so an entry alone would hide every other display mode.
// `program` is a name or an absolute path without blanks or quotes.
ProgramsEdit AddShowEntry(const std::optional<std::string>& userFile, const std::optional<std::string>& defaults,
                          const std::string& program);

} // namespace vessmark
