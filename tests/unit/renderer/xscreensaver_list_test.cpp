#include "xscreensaver_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vessmark {
namespace {

constexpr const char* Program = "/usr/libexec/xscreensaver/vessmark-show";

// XScreenSaver's app-defaults file, cut short.
const std::string Defaults = "! The list of installed screen saver modes.\n"
                             "*programs:\t\t\t\t\t\t\t\t      \\\n"
                             "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                             "-\t\t\t\tpyro --root\t\t\t\t    \\n\n"
                             "\n"
                             "*pointerHysteresis:\t10\n";

// As xscreensaver-settings writes the file, cut short.
const std::string Written = "# XScreenSaver Preferences File\n"
                            "\n"
                            "timeout:\t0:10:00\n"
                            "programs:\t\t\t\t\t\t\t\t      \\\n"
                            "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                            "-\t\t\t\tpyro --root\t\t\t\t    \\n\\\n"
                            "\n"
                            "\n"
                            "pointerHysteresis:  10\n";

// What a run adds is found by the next one, which changes nothing.
void ExpectListedNow(const std::string& text)
{
    const ProgramsEdit again = AddShowEntry(text, Defaults, Program);
    EXPECT_EQ(again.Result, ProgramsEdit::Outcome::AlreadyListed) << text;
    EXPECT_EQ(again.Detail, std::string("GL: \"Vessmark\" ") + Program + " --root");
}

TEST(XScreenSaverList, TheEntryGoesOnTopOfTheListAndEveryByteStays)
{
    const struct {
        std::string File;
        std::string Before; // the bytes up to the place of the entry
        bool OwnLine;       // the entry comes as a line of its own, else it splits the line of "programs:"
    } cases[] = {
        {Written, Written.substr(0, Written.find("\t\t\t\tmaze")), true},
        {"timeout: 0:05:00\nprograms: maze -root \\n\\\n   GL: gears -root \\n\nlock: False\n",
         "timeout: 0:05:00\nprograms: ", false},
        {"programs:\n", "programs:", false},
    };
    for (const auto& c : cases) {
        const ProgramsEdit edit = AddShowEntry(c.File, Defaults, Program);
        ASSERT_EQ(edit.Result, ProgramsEdit::Outcome::Added) << edit.Detail;
        EXPECT_FALSE(edit.ListFromDefaults);
        const std::size_t added = edit.Text.size() - c.File.size();
        const std::string entry = edit.Text.substr(c.Before.size(), added);
        EXPECT_EQ(edit.Text.substr(0, c.Before.size()) + edit.Text.substr(c.Before.size() + added), c.File)
            << "bytes changed or lost:\n" << edit.Text;
        EXPECT_EQ(entry.rfind("\\\n", 0) != 0, c.OwnLine) << entry;
        EXPECT_NE(entry.find(ShowEntry(Program)), std::string::npos) << entry;
        ExpectListedNow(edit.Text);
    }
}

TEST(XScreenSaverList, AFileWithoutAListGetsTheDefaultOneWithTheEntry)
{
    const std::size_t first = Defaults.find("\t\t\t\tmaze");
    const std::string defaultEntries = Defaults.substr(first, Defaults.find("\n\n") + 1 - first);
    for (const std::optional<std::string>& file :
         {std::optional<std::string>(), std::optional<std::string>("timeout: 0:05:00\nlock: True")}) {
        const ProgramsEdit edit = AddShowEntry(file, Defaults, Program);
        ASSERT_EQ(edit.Result, ProgramsEdit::Outcome::Added) << edit.Detail;
        EXPECT_TRUE(edit.ListFromDefaults);
        EXPECT_EQ(edit.Text.rfind(file ? *file + "\n\nprograms:" : "#", 0), 0u) << edit.Text;
        EXPECT_LT(edit.Text.find(Program), edit.Text.find("maze --root"));
        EXPECT_EQ(edit.Text.substr(edit.Text.size() - defaultEntries.size()), defaultEntries);
        ExpectListedNow(edit.Text);
    }
    EXPECT_EQ(AddShowEntry(std::nullopt, std::nullopt, Program).Result, ProgramsEdit::Outcome::NoDefaults);
    EXPECT_EQ(AddShowEntry("lock: True\n", "*lock: False\n", Program).Result, ProgramsEdit::Outcome::NoDefaults);
}

TEST(XScreenSaverList, AnEntryThatRunsTheShowAlreadyIsLeftAlone)
{
    for (const std::string entry : {"  GL: \t\t\t\tvessmark-show --root\t\t\t    ",
                                    "-  GL: \t\t\t\tvessmark-show --root --fps",
                                    "\"Vessmark, slow\" /home/me/bin/vessmark-show -root -tail-length 0"}) {
        const std::string file = "programs: \\\n  maze -root \\n\\\n" + entry + " \\n\\\n  gears\n";
        const ProgramsEdit edit = AddShowEntry(file, Defaults, Program);
        EXPECT_EQ(edit.Result, ProgramsEdit::Outcome::AlreadyListed) << entry;
        EXPECT_EQ(edit.Disabled, entry[0] == '-') << entry;
    }
    // Programs of other names are not the show.
    EXPECT_EQ(AddShowEntry("programs: vessmark-show2 -root \\n\\\n  vessmark-shows\n", Defaults, Program).Result,
              ProgramsEdit::Outcome::Added);
}

TEST(XScreenSaverList, AFileItCannotReadIsRefusedSayingWhere)
{
    const struct {
        std::string File;
        const char* Complaint;
    } cases[] = {
        // A lost "\" ends the list: the entries below it are no settings.
        {"programs: \\\n  maze -root \\n\n  gears -root \\n\\\n",
         "line 3 is neither a setting (name: value) nor a comment: '  gears -root \\n\\'"},
        {"timeout 0:10:00\n", "line 1 is neither"},
        {"# a comment\n: 0:10:00\n", "line 2 is neither"},
        // An escaped backslash does not carry the line on.
        {"programs: \\\n  xmatrix -root C:\\\\\nstray line\n", "line 3 is neither"},
        {"programs: maze\nprograms: gears\n", "two lists of display modes (\"programs:\" on lines 1 and 2)"},
        {"programs: \\\n  \"Vessmark vessmark-show -root \\n\\\n", "a name without its closing quote"},
        {std::string("timeout: 0:10:00\n\0", 18), "a NUL byte (at byte 17)"},
    };
    for (const auto& c : cases) {
        const ProgramsEdit edit = AddShowEntry(c.File, Defaults, Program);
        EXPECT_EQ(edit.Result, ProgramsEdit::Outcome::Unreadable) << c.File;
        EXPECT_NE(edit.Detail.find(c.Complaint), std::string::npos) << edit.Detail;
    }
}

} // namespace
} // namespace vessmark
