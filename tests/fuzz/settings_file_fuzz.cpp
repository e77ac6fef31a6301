// Fuzzes the settings file as a whole: the input is the file's bytes, read
// through the profile seam the way the system's profile functions read an
// initialisation file. Whatever the file holds, LoadSettings only reads (never
// writes), keeps its rules (a music-file kind only with a file that opens, a
// path empty or whole and openable, numbers as stored or 0), and a following
// SaveSettings writes exactly the three keys, in order, which read back as the
// same settings.

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "ini_text_profile.h"
#include "settings_file.h"

namespace {

using vessmark::fuzz::Check;

// Files the seeds name: one that opens and a folder, which does not count.
constexpr char FuzzFolder[] = "/tmp/vessmark-settings-fuzz";
constexpr char FuzzMusic[] = "/tmp/vessmark-settings-fuzz/music.mp3";
constexpr char FuzzSubfolder[] = "/tmp/vessmark-settings-fuzz/folder";
constexpr char SettingsPath[] = "C:\\Saver\\Vessmark.ini";

bool IsKey(const std::string& key)
{
    return key == vessmark::IniKeyBgmKind || key == vessmark::IniKeyBgmRepeat || key == vessmark::IniKeyBgmFile;
}

// The value the settings read for a key: up to its first NUL, as a C string.
std::string StoredText(const vessmark::testing::IniTextProfile& file, const char* key)
{
    const std::string value = file.Lookup(vessmark::IniSection, key).value_or("");
    return value.substr(0, value.find('\0'));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ::mkdir(FuzzFolder, 0700);
    ::mkdir(FuzzSubfolder, 0700);
    if (std::FILE* music = std::fopen(FuzzMusic, "ab")) {
        std::fclose(music);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vessmark::testing::IniTextProfile file(std::string(reinterpret_cast<const char*>(data), size));
    vessmark::FrontEndState state;
    state.BgmKind = 7; // stale values must never survive a load
    state.BgmRepeat = 7;
    state.BgmFile = "stale";
    vessmark::LoadSettings(state, file, SettingsPath);

    // Reading only reads, and only the three keys of the one section.
    Check(file.Writes.empty());
    for (const auto& read : file.Reads) {
        Check(read.Section == vessmark::IniSection && IsKey(read.Key) && read.File == SettingsPath);
    }

    const auto kind = vessmark::IniInteger(StoredText(file, vessmark::IniKeyBgmKind)).value_or(0);
    const auto repeat = vessmark::IniInteger(StoredText(file, vessmark::IniKeyBgmRepeat)).value_or(0);
    const std::string path = StoredText(file, vessmark::IniKeyBgmFile);
    Check(state.BgmRepeat == repeat);
    if (!state.BgmFile.empty()) {
        // The whole path, however long, and a file that opens.
        Check(state.BgmFile == path && vessmark::FileExists(state.BgmFile));
    }
    if (state.BgmKind == vessmark::BgmKindFile) {
        Check(!state.BgmFile.empty());
    }
    // The kind is as stored, except a music-file kind without a usable file.
    Check(state.BgmKind == kind || (kind == vessmark::BgmKindFile && state.BgmKind == vessmark::BgmKindNone &&
                                    state.BgmFile.empty()));

    // Saving writes the three keys, in the file's order, as plain text...
    vessmark::testing::IniTextProfile saved("");
    vessmark::SaveSettings(state, saved, SettingsPath);
    Check(saved.Reads.empty() && saved.Writes.size() == 3);
    const char* const order[] = {vessmark::IniKeyBgmKind, vessmark::IniKeyBgmRepeat, vessmark::IniKeyBgmFile};
    const std::string values[] = {std::to_string(state.BgmKind), std::to_string(state.BgmRepeat), state.BgmFile};
    for (int i = 0; i < 3; ++i) {
        const auto& write = saved.Writes[static_cast<std::size_t>(i)];
        Check(write.Section == vessmark::IniSection && write.Key == order[i] && write.File == SettingsPath);
        Check(write.Value == values[i]);
    }
    // ...which read back as the same settings.
    vessmark::testing::IniTextProfile reread(saved.Text());
    vessmark::FrontEndState again;
    vessmark::LoadSettings(again, reread, SettingsPath);
    Check(again.BgmKind == state.BgmKind && again.BgmRepeat == state.BgmRepeat && again.BgmFile == state.BgmFile);
    return 0;
}
