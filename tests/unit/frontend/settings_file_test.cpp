#include "settings_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fakes.h"
#include "number_text.h"

namespace vessmark {
namespace {

using vessmark::testing::FakeProfile;

const std::string Ini = "C:\\Saver\\Vessmark.ini";

// A real file and folder for the checks that open them.
class TempFiles {
public:
    TempFiles()
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vessmark-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
        std::ofstream(File()) << "music";
    }
    ~TempFiles() { std::filesystem::remove_all(folder_); }
    std::string File() const { return (folder_ / "song one.mp3").string(); }
    std::string Folder() const { return folder_.string(); }

private:
    std::filesystem::path folder_;
};

TEST(SettingsPath, AlwaysAddsTheSeparator)
{
    EXPECT_EQ(SettingsPath("C:\\Games\\Saver"), "C:\\Games\\Saver\\Vessmark.ini");
    EXPECT_EQ(SettingsPath("C:"), "C:\\Vessmark.ini");
    EXPECT_EQ(SettingsPath("C:\\"), "C:\\\\Vessmark.ini");
}

TEST(SettingsKeys, AreTheCodePage932Bytes)
{
    EXPECT_EQ(std::string(IniSection), "Section");
    EXPECT_EQ(std::string(IniKeyBgmKind), std::string("\x42\x47\x4D\x8B\xE6\x95\xAA"));
    EXPECT_EQ(std::string(IniKeyBgmRepeat), std::string("\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4"));
    EXPECT_EQ(std::string(IniKeyBgmFile), std::string("\x42\x47\x4D\xCC\xA7\xB2\xD9"));
}

TEST(LoadSettings, NoFileGivesDefaultsAndCreatesNothing)
{
    FakeProfile profile;
    FrontEndState state;
    state.BgmKind = 2; // stale values from before must not survive
    state.BgmRepeat = 5;
    state.BgmFile = "old";
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 0);
    EXPECT_EQ(state.BgmRepeat, 0);
    EXPECT_EQ(state.BgmFile, "");
    EXPECT_TRUE(profile.WrittenKeys.empty());
    EXPECT_TRUE(profile.Files.empty());
}

TEST(LoadSettings, MusicFileKindWithAMissingFileBecomesNone)
{
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "2"}, {IniKeyBgmFile, "C:\\nowhere\\gone.mp3"}};
    FrontEndState state;
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 0);
    EXPECT_EQ(state.BgmFile, "");
}

TEST(LoadSettings, CdKindWithAMissingFileStaysCd)
{
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "1"}, {IniKeyBgmRepeat, "3"}, {IniKeyBgmFile, "C:\\nowhere\\gone.mp3"}};
    FrontEndState state;
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 1);
    EXPECT_EQ(state.BgmRepeat, 3);
    EXPECT_EQ(state.BgmFile, "");
}

TEST(LoadSettings, NoneKindWithAnExistingFileKeepsBoth)
{
    TempFiles files;
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "0"}, {IniKeyBgmFile, files.File()}};
    FrontEndState state;
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 0);
    EXPECT_EQ(state.BgmFile, files.File());
}

TEST(LoadSettings, EmptyPathTurnsTheFileKindOff)
{
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "2"}, {IniKeyBgmFile, ""}};
    FrontEndState state;
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 0);
}

TEST(LoadSettings, NumbersRoundDownAndBadOnesReadZero)
{
    const std::pair<std::string, int> cases[] = {
        {"2.9", 2}, {"-0.5", -1}, {"abc", 0}, {"40000", 0}, {"", 0}, {" 7 ", 7}, {"5x", 0}, {"9", 9}};
    for (const auto& [text, expected] : cases) {
        FakeProfile profile;
        profile.Files[Ini] = {{IniKeyBgmKind, text}, {IniKeyBgmRepeat, text}};
        FrontEndState state;
        LoadSettings(state, profile, Ini);
        EXPECT_EQ(state.BgmKind, expected == 2 ? 0 : expected) << "'" << text << "'"; // 2 without a file is 0
        EXPECT_EQ(state.BgmRepeat, expected) << "'" << text << "'";
    }
}

TEST(ReadIni, ReturnsAValueOfAnyLengthWhole)
{
    FakeProfile profile;
    const std::string longPath = "C:\\" + std::string(300, 'm') + ".mp3";
    const std::string exact255(255, 'x');
    profile.Files[Ini] = {{IniKeyBgmFile, longPath}, {IniKeyBgmKind, exact255}};
    EXPECT_EQ(ReadIni(profile, IniSection, IniKeyBgmFile, Ini), longPath);
    EXPECT_EQ(ReadIni(profile, IniSection, IniKeyBgmKind, Ini), exact255);
    EXPECT_EQ(ReadIni(profile, IniSection, "missing", Ini), "");
    EXPECT_EQ(ReadIni(profile, IniSection, IniKeyBgmFile, "C:\\other.ini"), "");
}

TEST(ReadIni, ShortValuesNeedOneCall)
{
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "2"}};
    EXPECT_EQ(ReadIni(profile, IniSection, IniKeyBgmKind, Ini), "2");
    EXPECT_EQ(profile.ReadSizes, std::vector<std::uint32_t>{256});
}

#if !defined(_WIN32) // the ANSI file functions of Windows stop at 260 characters anyway
TEST(LoadSettings, ALongPathToARealFileIsKept)
{
    TempFiles files;
    // Long enough to be cut by a 256-byte read, short enough for any file system.
    std::string path = files.Folder();
    while (path.size() < 280) {
        path += "/deeper-folder-name";
        std::filesystem::create_directory(path);
    }
    path += "/song.wav";
    std::ofstream(path) << "RIFF";
    FakeProfile profile;
    profile.Files[Ini] = {{IniKeyBgmKind, "2"}, {IniKeyBgmFile, path}};
    FrontEndState state;
    LoadSettings(state, profile, Ini);
    EXPECT_EQ(state.BgmKind, 2);
    EXPECT_EQ(state.BgmFile, path);
}
#endif

TEST(SaveSettings, WritesDecimalTextInKeyOrderAndReadsBack)
{
    TempFiles files;
    FakeProfile profile;
    FrontEndState state;
    state.BgmKind = 2;
    state.BgmRepeat = -3;
    state.BgmFile = files.File();
    SaveSettings(state, profile, Ini);
    EXPECT_EQ(profile.WrittenKeys,
              (std::vector<std::string>{IniKeyBgmKind, IniKeyBgmRepeat, IniKeyBgmFile}));
    EXPECT_EQ(profile.Files[Ini][IniKeyBgmKind], "2");
    EXPECT_EQ(profile.Files[Ini][IniKeyBgmRepeat], "-3");
    FrontEndState loaded;
    LoadSettings(loaded, profile, Ini);
    EXPECT_EQ(loaded.BgmKind, 2);
    EXPECT_EQ(loaded.BgmRepeat, -3);
    EXPECT_EQ(loaded.BgmFile, files.File());
}

TEST(FileExists, FilesYesFoldersAndEmptyPathsNo)
{
    TempFiles files;
    EXPECT_TRUE(FileExists(files.File()));
    EXPECT_TRUE(FileExists(files.File() + "\\")); // one final backslash is dropped
    EXPECT_FALSE(FileExists(files.File() + "\\\\"));
    EXPECT_FALSE(FileExists(files.Folder()));
    EXPECT_FALSE(FileExists(files.Folder() + "\\"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("\\"));
    const std::string missing = files.Folder() + "/missing.mp3";
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(std::filesystem::exists(missing)); // the check created nothing
}

// What counts as a number in the settings file and in device answers.
TEST(ParseNumber, AcceptsSignedDecimalsWithFractionExponentAndBlanks)
{
    const std::pair<const char*, double> numbers[] = {
        {"12", 12},   {" 12\t", 12}, {"+3", 3},   {"-3", -3},      {"2.5", 2.5}, {"2.", 2},
        {".5", 0.5},  {"-.5", -0.5}, {"1e3", 1000}, {"1E+2", 100}, {"25e-1", 2.5}, {"007", 7},
        {"1e-400", 0}};
    for (const auto& [text, value] : numbers) {
        const auto parsed = ParseNumber(text);
        ASSERT_TRUE(parsed) << "'" << text << "'";
        EXPECT_DOUBLE_EQ(*parsed, value) << "'" << text << "'";
    }
}

TEST(ParseNumber, RejectsEverythingElse)
{
    const char* rejected[] = {"",    "  ",   "abc", "1a",  "a1",   "--1", "+-1", ".",   "e5",  "1e",
                              "1e+", "0x10", "inf", "nan", "1,5",  "1 2", "١",   "1e999", "\xEF\xBC\x91"};
    for (const char* text : rejected) {
        EXPECT_FALSE(ParseNumber(text)) << "'" << text << "'";
    }
}

TEST(IniInteger, FloorsThenChecksTheSixteenBitRange)
{
    EXPECT_EQ(IniInteger("32767.9"), 32767);
    EXPECT_EQ(IniInteger("-32768"), -32768);
    EXPECT_EQ(IniInteger("-32767.5"), -32768);
    EXPECT_FALSE(IniInteger("-32768.5"));
    EXPECT_FALSE(IniInteger("32768"));
    EXPECT_EQ(IniInteger("-0.0"), 0);
    EXPECT_EQ(IniInteger("1e4"), 10000);
    EXPECT_FALSE(IniInteger("1e5"));
}

} // namespace
} // namespace vessmark
