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
                             "  GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
                             "-\t\t\t\tpyro --root\t\t\t\t    \\n\n"
                             "\n"
                             "*pointerHysteresis:\t10\n";

// As xscreensaver-settings writes the file, cut short.
const std::string Written = "# XScreenSaver Preferences File\n"
                            "# Written by xscreensaver-settings 6.06 for someone on Wed Dec  9 03:27:08 2026.\n"
                            "\n"
                            "timeout:\t0:10:00\n"
                            "mode:\t\trandom\n"
                            "\n"
                            "programs:\t\t\t\t\t\t\t\t      \\\n"
                            "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
                            "-\t\t\t\tpyro --root\t\t\t\t    \\n\\\n"
                            "  GL: \t\t\t\tsquirtorus --root\t\t\t    \\n\\\n"
                            "\n"
                            "\n"
                            "pointerHysteresis:  10\n";

// Where `after` differs from `before` by one insertion: its place and text.
struct Insertion {
    std::size_t At = 0;
    std::string Text;
};

std::optional<Insertion> InsertionBetween(const std::string& before, const std::string& after)
{
    std::size_t head = 0;
    while (head < before.size() && before[head] == after[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < before.size() - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    if (head + tail != before.size()) {
        return std::nullopt;
    }
    return Insertion{head, after.substr(head, after.size() - before.size())};
}

// The entry a run adds is found by the next run: the edit is idempotent.
void ExpectListedNow(const std::string& text)
{
    const ProgramsEdit again = AddShowEntry(text, Defaults, Program);
    EXPECT_EQ(again.Result, ProgramsEdit::Outcome::AlreadyListed) << text;
    EXPECT_EQ(again.Detail, std::string("GL: \"Vessmark\" ") + Program + " --root");
    EXPECT_FALSE(again.Disabled);
}

TEST(XScreenSaverList, TheEntryGoesOnTopOfTheListAndEveryByteStays)
{
    const struct {
        const char* What;
        std::string File;
        std::string ListTop;   // the file's bytes up to where the list's first entry begins
        bool OnItsOwnLine;     // the list's first line holds no entry: the new one becomes a line of its own
    } cases[] = {
        {"as xscreensaver-settings writes it", Written, "programs:\t\t\t\t\t\t\t\t      \\\n", true},
        {"by hand, the list on the line of its name",
         "timeout: 0:05:00\nprograms: maze -root \\n\\\n   GL: gears -root \\n\nlock: False\n", "programs: ", false},
        {"an empty list", "programs:\n", "programs:", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const ProgramsEdit edit = AddShowEntry(c.File, Defaults, Program);
        ASSERT_EQ(edit.Result, ProgramsEdit::Outcome::Added) << edit.Detail;
        EXPECT_FALSE(edit.ListFromDefaults);
        const auto insertion = InsertionBetween(c.File, edit.Text);
        ASSERT_TRUE(insertion) << "bytes of the file were changed or lost:\n" << edit.Text;
        EXPECT_EQ(c.File.substr(c.File.find("programs:"), insertion->At - c.File.find("programs:")), c.ListTop);
        EXPECT_NE(insertion->Text.find(std::string("GL: \"Vessmark\" ") + Program + " --root"), std::string::npos);
        EXPECT_EQ(insertion->Text.substr(0, 2) == "\\\n", !c.OnItsOwnLine) << "the name's line carries on";
        ExpectListedNow(edit.Text);
    }
}

TEST(XScreenSaverList, AFileWithoutAListGetsTheDefaultOneWithTheEntry)
{
    for (const std::optional<std::string>& file :
         {std::optional<std::string>(), std::optional<std::string>("timeout: 0:05:00\nlock: True")}) {
        SCOPED_TRACE(file.value_or("(no file)"));
        const ProgramsEdit edit = AddShowEntry(file, Defaults, Program);
        ASSERT_EQ(edit.Result, ProgramsEdit::Outcome::Added) << edit.Detail;
        EXPECT_TRUE(edit.ListFromDefaults);
        const std::size_t list = edit.Text.find("\nprograms:");
        ASSERT_NE(list, std::string::npos) << edit.Text;
        const std::string before = edit.Text.substr(0, list);
        if (file) {
            EXPECT_EQ(before, *file + "\n") << "what was there stays, the list comes after it";
        } else {
            EXPECT_EQ(before[0], '#') << "a comment says where the file came from";
        }
        const std::size_t entry = edit.Text.find(Program);
        EXPECT_LT(entry, edit.Text.find("maze --root"));
        // The default list comes whole, as XScreenSaver wrote it.
        const std::string defaultLines = Defaults.substr(Defaults.find("\t\t\t\tmaze"),
                                                         Defaults.find("\n\n") + 1 - Defaults.find("\t\t\t\tmaze"));
        EXPECT_EQ(edit.Text.substr(edit.Text.size() - defaultLines.size()), defaultLines);
        ExpectListedNow(edit.Text);
    }
    EXPECT_EQ(AddShowEntry(std::nullopt, std::nullopt, Program).Result, ProgramsEdit::Outcome::NoDefaults);
    EXPECT_EQ(AddShowEntry("timeout: 0:05:00\n", "*timeout: 0:10:00\n", Program).Result,
              ProgramsEdit::Outcome::NoDefaults);
}

TEST(XScreenSaverList, AnEntryThatRunsTheShowAlreadyIsLeftAlone)
{
    const struct {
        std::string Entry;
        bool Disabled;
    } cases[] = {
        {"  GL: \t\t\t\tvessmark-show --root\t\t\t    ", false},
        {"-  GL: \t\t\t\tvessmark-show --root --fps", true},
        {"\"Vessmark, slow\" /home/me/bin/vessmark-show -root -tail-length 0", false},
        {"default: \"Vessmark\" vessmark-show -root", false},
    };
    for (const auto& c : cases) {
        const std::string file = "programs: \\\n  maze -root \\n\\\n" + c.Entry + " \\n\\\n  gears -root\n";
        const ProgramsEdit edit = AddShowEntry(file, Defaults, Program);
        EXPECT_EQ(edit.Result, ProgramsEdit::Outcome::AlreadyListed) << c.Entry;
        EXPECT_EQ(edit.Disabled, c.Disabled) << c.Entry;
        EXPECT_NE(edit.Detail.find("vessmark-show -"), std::string::npos) << edit.Detail;
    }
    // A program of another name is not the show.
    EXPECT_EQ(AddShowEntry("programs: vessmark-show2 -root \\n\\\n  vessmark-shows -root\n", Defaults, Program).Result,
              ProgramsEdit::Outcome::Added);
}

TEST(XScreenSaverList, AFileItCannotReadIsRefusedSayingWhere)
{
    const struct {
        std::string File;
        const char* Complaint;
    } cases[] = {
        // The line that lost its "\" ends the list; the entries below it are no settings.
        {Written.substr(0, Written.find("-\t")) + "-\t\t\t\tpyro --root\t\t\t\t    \\n\n  maze -root \\n\\\n",
         "line 10 is neither a setting (name: value) nor a comment: '  maze -root \\n\\'"},
        {"timeout 0:10:00\n", "line 1 is neither"},
        {"# a comment\n: 0:10:00\n", "line 2 is neither"},
        // An escaped backslash does not carry the line on.
        {"programs: \\\n  xmatrix -root C:\\\\\nstray line\n", "line 3 is neither"},
        {"programs: maze -root\nprograms: gears -root\n", "two lists of display modes (\"programs:\" on lines 1 and 2)"},
        {"programs: \\\n  \"Vessmark vessmark-show -root \\n\\\n", "a name without its closing quote"},
        {std::string("timeout: 0:10:00\n\0\0", 19), "a NUL byte (at byte 17)"},
    };
    for (const auto& c : cases) {
        const ProgramsEdit edit = AddShowEntry(c.File, Defaults, Program);
        EXPECT_EQ(edit.Result, ProgramsEdit::Outcome::Unreadable) << c.File;
        EXPECT_NE(edit.Detail.find(c.Complaint), std::string::npos) << edit.Detail;
        EXPECT_TRUE(edit.Text.empty());
    }
}

} // namespace
} // namespace vessmark
