#include "settings_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes.h"
#include "window_animation.h"

namespace vessmark {
namespace {

using vessmark::testing::FakePaths;

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using vessmark::testing::FakeProfile;

// The dialog's window as the dialog sees it: every call logged in order, and
// the controls' states kept as a window would keep them.
class FakeView final : public SettingsDialogView {
public:
    std::vector<std::string> Calls;
    std::map<int, bool> Marks;
    bool RepeatEnabled = true;
    bool BrowseEnabled = true;
    std::string Track;
    std::vector<std::string> Items;
    std::string FileCaption = "(not set)";
    std::optional<std::pair<long, long>> Pointer = std::pair<long, long>{300, 200};
    std::vector<std::string> Warnings;
    ChosenFile NextFile;
    std::vector<std::string> Addresses;
    bool Closed = false;

    std::pair<double, double> ScreenSize() override { return {15360, 11520}; }
    std::pair<double, double> WindowSize() override { return {7305, 4200}; }
    void MoveWindow(TwipPoint p) override { Log("move " + std::to_string(p.Left) + "," + std::to_string(p.Top)); }
    void InitCommandButtons(bool initialise, bool enable) override
    {
        Log(std::string("init buttons ") + (initialise ? "initialise" : enable ? "enable" : "disable"));
    }
    void SetMark(int kind, bool selected) override
    {
        Marks[kind] = selected;
        Log("mark " + std::to_string(kind) + (selected ? " selected" : " unselected"));
    }
    void SetRepeatEnabled(bool enabled) override
    {
        RepeatEnabled = enabled;
        Log(std::string("repeat ") + (enabled ? "on" : "off"));
    }
    void SetBrowseEnabled(bool enabled) override
    {
        BrowseEnabled = enabled;
        Log(std::string("browse ") + (enabled ? "on" : "off"));
    }
    void SetTrackText(const std::string& text) override
    {
        Track = text;
        Log("track text '" + text + "'");
    }
    std::string TrackText() override { return Track; }
    void AddTrackItem(const std::string& item) override
    {
        if (Items.empty()) {
            Log("track items");
        }
        Items.push_back(item);
    }
    void SetFileCaption(const std::string& path) override
    {
        FileCaption = path;
        Log("file '" + path + "'");
    }
    std::optional<std::pair<long, long>> CursorPosition() override
    {
        Log("cursor");
        return Pointer;
    }
    void AnimateOpen(vessmark::CursorPosition c) override
    {
        Log("animate open from " + std::to_string(c.X) + "," + std::to_string(c.Y));
    }
    void AnimateClose(vessmark::CursorPosition c) override
    {
        Log("animate close to " + std::to_string(c.X) + "," + std::to_string(c.Y));
    }
    void SetMousePointer(MousePointer p) override
    {
        Log(p == MousePointer::Default ? "pointer default" : "pointer hourglass");
    }
    ChosenFile ChooseMusicFile() override
    {
        Log("open-file dialog");
        return NextFile;
    }
    std::function<void()> WhileOpening = [] {};
    void OpenAddress(const std::string& address) override
    {
        Addresses.push_back(address);
        Log("open " + address);
        WhileOpening();
    }
    void ShowWarning(const std::string& text) override
    {
        Warnings.push_back(text);
        Log("warning");
    }
    void Close() override
    {
        Closed = true;
        Log("close");
    }

    // The selected mark, -1 for none.
    int SelectedMark() const
    {
        int selected = -1;
        for (const auto& [kind, on] : Marks) {
            if (on) {
                EXPECT_EQ(selected, -1) << "two marks selected";
                selected = kind;
            }
        }
        return selected;
    }

private:
    void Log(std::string call) { Calls.push_back(std::move(call)); }
};

class DialogTest : public ::testing::Test {
protected:
    const std::string file = "C:\\Saver\\Vessmark.ini";
    FakeView view;
    FrontEndState state;
    FakeProfile profile;
    FakePaths paths;
    SettingsDialog dialog{view, state, profile, paths, SettingsLocation{file, "C:\\Saver\\Vessmark.ini"}};

    void SetUp() override
    {
        state.BgmKind = BgmKindFile;
        state.BgmRepeat = 0;
        state.BgmFile = "C:\\Music\\a.mp3";
        profile.Files[file] = {{IniKeyBgmKind, "2"}, {IniKeyBgmRepeat, "0"}, {IniKeyBgmFile, "C:\\Music\\a.mp3"}};
    }

    void Load()
    {
        dialog.Load();
        view.Calls.clear();
    }
};

TEST_F(DialogTest, LoadsInItsOrderAndEndsWithTheOpeningEffect)
{
    state.BgmKind = BgmKindCd;
    state.BgmRepeat = 7;
    dialog.Load();
    EXPECT_THAT(view.Calls,
                ElementsAre("move 4027,2440", "init buttons initialise", "mark 0 unselected", "mark 1 unselected",
                            "mark 2 unselected", "mark 1 selected", "browse off", "repeat on", "track text '7'",
                            "track items", "file 'C:\\Music\\a.mp3'", "cursor", "animate open from 300,200",
                            "pointer default"));
    ASSERT_EQ(view.Items.size(), 31u);
    EXPECT_EQ(view.Items.front(), "");
    EXPECT_EQ(view.Track, "7") << "the list filled after the text leaves the text alone";
    EXPECT_EQ(dialog.Cursor().X, 300);
    EXPECT_FALSE(view.Closed);
}

TEST_F(DialogTest, EachKindAtLoadSelectsItsMarkAndEnablesItsControl)
{
    struct Case {
        std::int16_t kind;
        std::int16_t repeat;
        int mark;
        bool repeatOn, browseOn;
        std::string track;
    };
    const Case cases[] = {
        {0, 3, 0, false, false, "3"}, {1, 0, 1, true, false, ""}, {2, 0, 2, false, true, ""},
        {5, 0, -1, false, false, ""}, // a kind the file should not hold: nothing selected
    };
    for (const Case& c : cases) {
        FakeView v;
        FrontEndState s;
        s.BgmKind = c.kind;
        s.BgmRepeat = c.repeat;
        SettingsDialog d(v, s, profile, paths, {file, file});
        d.Load();
        EXPECT_EQ(v.SelectedMark(), c.mark) << c.kind;
        EXPECT_EQ(v.RepeatEnabled, c.repeatOn) << c.kind;
        EXPECT_EQ(v.BrowseEnabled, c.browseOn) << c.kind;
        EXPECT_EQ(v.Track, c.track) << c.kind;
    }
}

TEST_F(DialogTest, NoPointerPositionMeansTheScreensCorner)
{
    view.Pointer = std::nullopt;
    dialog.Load();
    EXPECT_THAT(view.Calls, ::testing::Contains("animate open from 0,0"));
    dialog.Cancel();
    EXPECT_EQ(view.Calls.back(), "close");
    EXPECT_EQ(view.Calls[view.Calls.size() - 2], "animate close to 0,0");
}

TEST_F(DialogTest, ChoosingAKindChangesTheSettingAtOnceAndKeepsTheOtherControlsContents)
{
    Load();
    view.Track = "4";
    dialog.ChooseKind(BgmKindCd);
    EXPECT_EQ(state.BgmKind, BgmKindCd);
    EXPECT_EQ(view.SelectedMark(), 1);
    EXPECT_TRUE(view.RepeatEnabled);
    EXPECT_FALSE(view.BrowseEnabled);
    EXPECT_EQ(view.Track, "4");
    EXPECT_EQ(view.FileCaption, "C:\\Music\\a.mp3");
    EXPECT_EQ(state.BgmFile, "C:\\Music\\a.mp3");
    dialog.ChooseKind(BgmKindNone);
    EXPECT_EQ(view.SelectedMark(), 0);
    EXPECT_FALSE(view.RepeatEnabled);
    EXPECT_FALSE(view.BrowseEnabled);
}

TEST_F(DialogTest, ArrowKeysChooseTheNextRowOnScreenAsAPressWouldAndStopAtTheEnds)
{
    Load();
    // From the music file (the bottom row) up to none, then to the audio CD, then nothing further.
    const std::int16_t expected[] = {BgmKindNone, BgmKindCd, BgmKindCd};
    for (std::int16_t kind : expected) {
        dialog.MoveKind(-1);
        EXPECT_EQ(state.BgmKind, kind);
        EXPECT_EQ(view.SelectedMark(), kind);
    }
    EXPECT_TRUE(view.RepeatEnabled);
    dialog.MoveKind(+1);
    dialog.MoveKind(+1);
    dialog.MoveKind(+1);
    EXPECT_EQ(state.BgmKind, BgmKindFile);
    EXPECT_TRUE(view.BrowseEnabled);
}

TEST_F(DialogTest, SetWritesKindTrackAndFileThenCloses)
{
    struct Case {
        std::int16_t kind;
        std::string track;
        std::string stored;
    };
    const Case cases[] = {{1, "5", "5"}, {0, "12", "12"}, {2, "", "0"}, {1, "2.5", "2"}, {1, "3.5", "4"},
                          {1, "abc", "0"}, {1, "99999", "0"}, {1, "-40000", "0"}, {1, "１２", "12"}};
    for (const Case& c : cases) {
        FakeView v;
        FakeProfile p;
        FrontEndState s;
        s.BgmFile = "C:\\Music\\a.mp3";
        SettingsDialog d(v, s, p, paths, {file, file});
        d.Load();
        d.ChooseKind(c.kind);
        v.Track = c.track;
        d.Save();
        EXPECT_EQ(p.Files[file][IniKeyBgmKind], std::to_string(c.kind));
        EXPECT_EQ(p.Files[file][IniKeyBgmRepeat], c.stored) << '"' << c.track << '"';
        EXPECT_EQ(p.Files[file][IniKeyBgmFile], "C:\\Music\\a.mp3") << "the file is saved whatever the kind";
        EXPECT_TRUE(v.Closed);
        EXPECT_TRUE(v.Warnings.empty());
        ASSERT_GE(v.Calls.size(), 2u);
        EXPECT_EQ(v.Calls[v.Calls.size() - 2], "animate close to 300,200");
    }
}

TEST_F(DialogTest, SetWithARefusingFileSaysWhyKeepsTheDialogAndWritesNothing)
{
    Load();
    dialog.ChooseKind(BgmKindCd);
    view.Track = "5";
    const auto before = profile.Files;
    profile.RefusedKeys = {IniKeyBgmKind, IniKeyBgmRepeat, IniKeyBgmFile};
    profile.RefusalReason = "Access denied.";
    dialog.Save();
    EXPECT_FALSE(view.Closed);
    EXPECT_EQ(profile.Files, before);
    EXPECT_TRUE(profile.WrittenKeys.empty());
    ASSERT_EQ(view.Warnings.size(), 1u);
    EXPECT_EQ(view.Warnings[0], "設定を保存できませんでした。\r\nC:\\Saver\\Vessmark.ini\r\nAccess denied.");
    // The choice is still there: once the cause is gone, Set saves it.
    EXPECT_EQ(view.SelectedMark(), 1);
    profile.RefusedKeys.clear();
    // Writes that report success but leave a value cut short are no save either.
    profile.CutValuesAfter = 6;
    dialog.Save();
    EXPECT_FALSE(view.Closed);
    ASSERT_EQ(view.Warnings.size(), 2u);
    EXPECT_EQ(view.Warnings[1], std::string("設定を保存できませんでした。\r\nC:\\Saver\\Vessmark.ini\r\n") +
                                    SavedValuesDifferReason);
    profile.CutValuesAfter = std::string::npos;
    dialog.Save();
    EXPECT_TRUE(view.Closed);
    EXPECT_EQ(profile.Files[file][IniKeyBgmRepeat], "5");
}

TEST_F(DialogTest, SetWithoutAFileNameTheCodePageCanWriteSaysSoAndStays)
{
    FakeProfile p;
    SettingsDialog d(view, state, p, paths, {std::nullopt, "C:\\Программы\\Vessmark\\Vessmark.ini"});
    d.Load();
    d.Save();
    EXPECT_FALSE(view.Closed);
    EXPECT_TRUE(p.WrittenKeys.empty());
    ASSERT_EQ(view.Warnings.size(), 1u);
    EXPECT_THAT(view.Warnings[0], HasSubstr("設定を保存できませんでした。\r\nC:\\Программы\\Vessmark\\Vessmark.ini\r\n"));
    EXPECT_THAT(view.Warnings[0], HasSubstr(FolderNameUnwritableReason));
}

TEST_F(DialogTest, CancelAndTheCloseBoxWriteNothingAndCloseOnce)
{
    Load();
    dialog.ChooseKind(BgmKindNone);
    dialog.Cancel();
    dialog.Unload(); // the window's close arriving after Cancel
    EXPECT_THAT(view.Calls, ElementsAre("mark 0 unselected", "mark 1 unselected", "mark 2 unselected",
                                        "mark 0 selected", "browse off", "repeat off", "animate close to 300,200",
                                        "close"));
    EXPECT_TRUE(profile.WrittenKeys.empty());
}

TEST_F(DialogTest, AChosenFileIsKeptAsTheSettingsFileCanHoldIt)
{
    Load();
    const std::wstring japanese = L"C:\\\u97f3\u697d\\song.mp3";
    paths.ShortNames[japanese] = L"C:\\B3F2~1\\song.mp3";
    struct Case {
        ChosenFile chosen;
        std::string stored;  // BgmFile afterwards
        bool warned;
    };
    const Case cases[] = {
        {{1, L"C:\\Music\\Caf\u00e9.wav", "C:\\Music\\Café.wav"}, "C:\\Music\\Caf\xe9.wav", false},
        {{1, japanese, "C:\\音楽\\song.mp3"}, "C:\\B3F2~1\\song.mp3", false},
        {{0, L"", ""}, "C:\\B3F2~1\\song.mp3", false}, // cancelled: as it was
        {{1, L"E:\\\u97f3\u697d.mp3", "E:\\音楽.mp3"}, "C:\\B3F2~1\\song.mp3", true}, // no short name
        {{1, L"C:\\" + std::wstring(300, L'x') + L".mp3", "long"}, "C:\\B3F2~1\\song.mp3", true},
    };
    for (const Case& c : cases) {
        view.Warnings.clear();
        view.NextFile = c.chosen;
        dialog.ChooseFile();
        EXPECT_EQ(state.BgmFile, c.stored) << c.chosen.PathUtf8;
        EXPECT_EQ(view.FileCaption, c.stored) << "the label shows what will be stored";
        EXPECT_EQ(state.ApiResult, c.chosen.Result);
        EXPECT_EQ(!view.Warnings.empty(), c.warned) << c.chosen.PathUtf8;
        if (c.warned) {
            EXPECT_EQ(view.Warnings[0], "このファイルは使えません。\r\n" + c.chosen.PathUtf8);
        }
    }
    EXPECT_FALSE(view.Closed);
}

TEST_F(DialogTest, OtherWorksOpensThePageUnderTheHourglassAndStays)
{
    Load();
    // Whatever asks for the pointer while the page opens gets the hourglass.
    view.WhileOpening = [this] {
        view.Calls.push_back(dialog.Pointer() == MousePointer::Hourglass ? "asked: hourglass" : "asked: default");
    };
    dialog.OpenOtherWorks();
    EXPECT_THAT(view.Calls, ElementsAre("pointer hourglass", std::string("open ") + ProjectPageAddress,
                                        "asked: hourglass", "pointer default"));
    EXPECT_EQ(dialog.Pointer(), MousePointer::Default);
    EXPECT_FALSE(view.Closed);
}

// The animated-rectangle call as the effect makes it.
class FakeAnimation final : public WindowAnimationPort {
public:
    std::optional<ScreenRect> Rect;
    struct Call {
        int Animation;
        ScreenRect From, To;
    };
    std::vector<Call> Calls;
    std::optional<ScreenRect> WindowRect() override { return Rect; }
    void DrawAnimatedRects(int animation, const ScreenRect& from, const ScreenRect& to) override
    {
        Calls.push_back({animation, from, to});
    }
};

TEST(WindowAnimation, CaptionEffectFromThePointerToTheWindowAndBackFromWhereItIsNow)
{
    FakeAnimation window;
    const CursorPosition cursor{300, 200};
    window.Rect = ScreenRect{100, 120, 585, 400};
    AnimateOpen(window, cursor);
    window.Rect = ScreenRect{500, 50, 985, 330}; // moved before closing
    AnimateClose(window, cursor);
    ASSERT_EQ(window.Calls.size(), 2u);
    EXPECT_EQ(window.Calls[0].Animation, 3); // IDANI_CAPTION
    EXPECT_EQ(window.Calls[0].From, (ScreenRect{300, 200, 300, 200}));
    EXPECT_EQ(window.Calls[0].To, (ScreenRect{100, 120, 585, 400}));
    EXPECT_EQ(window.Calls[1].From, (ScreenRect{500, 50, 985, 330}));
    EXPECT_EQ(window.Calls[1].To, (ScreenRect{300, 200, 300, 200}));

    window.Rect = std::nullopt; // no rectangle to take: no effect
    AnimateClose(window, cursor);
    EXPECT_EQ(window.Calls.size(), 2u);
}

} // namespace
} // namespace vessmark
