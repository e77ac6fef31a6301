#include "dialog_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "fakes.h"

namespace vessmark {
namespace {

using vessmark::testing::FakePaths;

using ::testing::ElementsAre;
using vessmark::testing::FakeProfile;

TEST(DialogPlacement, CentredAcrossAndAThirdDownWithTheFreeSpaceRoundedFirst)
{
    struct Case {
        double screenW, screenH, windowW, windowH;
        long left, top;
    };
    const Case cases[] = {
        {15360, 11520, 7305, 4200, 4027, 2440}, // 1024 x 768 at 15 twips a pixel
        {19200, 14400, 7305, 4200, 5947, 3400},
        {100.5 + 50, 101.5 + 50, 50, 50, 50, 34}, // 100.5 -> 100 and 101.5 -> 102: halves to even
        {1000, 1000, 1007, 1008, -3, -2},          // larger than the screen: truncated toward zero
    };
    for (const Case& c : cases) {
        const TwipPoint p = DialogPlacement(c.screenW, c.screenH, c.windowW, c.windowH);
        EXPECT_EQ(p.Left, c.left) << c.screenW << " " << c.windowW;
        EXPECT_EQ(p.Top, c.top) << c.screenH << " " << c.windowH;
    }
}

TEST(Background, DarkAtTheEdgesBrightestInTheMiddle)
{
    const double height = 3780; // the dialog's client height in twips
    EXPECT_EQ(BandLevel(0, height), 0);
    EXPECT_EQ(BandLevel(1890, height), 220);
    EXPECT_EQ(BandLevel(945, height), 156); // sin(pi/4) x 220 = 155.6
    EXPECT_EQ(BandLevel(3780, height), 0);  // just past pi: |-0.0004 x 220| rounds to 0
    EXPECT_EQ(BandLevel(10, 0), 0);         // nothing to shade

    EXPECT_EQ(DialogRowColour(0), 0x1E0000u);   // RGB(0, 0, 30): dark blue at the edges
    EXPECT_EQ(DialogRowColour(220), 0xFADCDCu); // RGB(220, 220, 250): pale lavender in the middle
    EXPECT_EQ(PanelRowColour(0), 0x1E1E1Eu);
    EXPECT_EQ(PanelRowColour(220), 0xFAFAFAu);
}

TEST(Background, EveryPixelRowShowsTheLastLinePaintedOnIt)
{
    // The dialog's client area: 252 rows at 96 dpi (3780 twips, 15 lines a
    // row), 378 at 144 (10 lines a row).
    for (const int dpi : {96, 144}) {
        const int height = dpi == 96 ? 252 : 378;
        const std::vector<std::uint32_t> rows = BandRows(height, dpi, DialogRowColour);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(height)) << dpi;
        EXPECT_EQ(rows.front(), DialogRowColour(BandLevel(dpi == 96 ? 7 : 4, 3780))) << dpi;
        EXPECT_EQ(rows[static_cast<std::size_t>(height / 2)], DialogRowColour(220)) << dpi;
        EXPECT_EQ(rows.back(), DialogRowColour(1)) << dpi; // just short of the dark edge
        // Brightening to the middle, darkening after it.
        for (int y = 1; y < height; ++y) {
            const auto level = [&](int row) { return static_cast<int>(rows[static_cast<std::size_t>(row)] & 0xFF); };
            if (y <= height / 2) {
                EXPECT_GE(level(y), level(y - 1)) << dpi << " row " << y;
            } else {
                EXPECT_LE(level(y), level(y - 1)) << dpi << " row " << y;
            }
        }
    }
    const std::vector<std::uint32_t> panel = BandRows(169, 96, PanelRowColour); // 2535 twips
    EXPECT_EQ(panel.back(), PanelRowColour(BandLevel(2527, 2535)));
    EXPECT_EQ(panel.front() & 0xFF, 30u + static_cast<std::uint32_t>(BandLevel(7, 2535)));
    EXPECT_TRUE(BandRows(0, 96, PanelRowColour).empty());
}

TEST(TrackBox, ShowsZeroAsNothingAndListsZeroToThirty)
{
    EXPECT_EQ(TrackText(0), "");
    EXPECT_EQ(TrackText(5), "5");
    EXPECT_EQ(TrackText(-3), "-3");
    const std::vector<std::string> items = TrackItems();
    ASSERT_EQ(items.size(), 31u);
    EXPECT_EQ(items.front(), "");
    EXPECT_EQ(items[1], "1");
    EXPECT_EQ(items.back(), "30");
}

TEST(TrackBox, TextIsSavedAsTheNearestNumberOrZero)
{
    const std::map<std::string, std::int16_t> cases = {
        {"5", 5},         {"", 0},          {"2.5", 2},       {"3.5", 4},         {"abc", 0},
        {"99999", 0},     {"-40000", 0},    {" 7 ", 7},       {"-32768", -32768}, {"32767.4", 32767},
        {"32767.5", 0},   {"1e1", 10},      {"5 tracks", 0},
        // What a Japanese input method gives: full-width digits, sign and point.
        {"１２", 12},     {"－３", -3},     {"＋４", 4},      {"２．５", 2},       {"３.５", 4},
        {"１２\xEF\xBC", 0}, // a character cut short is no digit
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(TrackNumberFromText(text), expected) << '"' << text << '"';
    }
}

TEST(KindSelection, EachKindEnablesItsOwnControlOnly)
{
    struct Case {
        std::int16_t kind;
        int mark;
        bool repeat, browse;
    };
    const Case cases[] = {{0, 0, false, false}, {1, 1, true, false}, {2, 2, false, true}, {5, -1, false, false},
                          {-1, -1, false, false}};
    for (const Case& c : cases) {
        const KindSelection s = SelectionFor(c.kind);
        EXPECT_EQ(s.SelectedMark, c.mark) << c.kind;
        EXPECT_EQ(s.RepeatEnabled, c.repeat) << c.kind;
        EXPECT_EQ(s.BrowseEnabled, c.browse) << c.kind;
    }
}

TEST(KindSelection, APressMovesTheFocusOnlyOffAControlItSwitchesOff)
{
    for (const std::int16_t kind : {0, 1, 2, 5}) {
        EXPECT_FALSE(KindPressMovesFocus(FocusedControl::Other, kind)) << kind;
        EXPECT_EQ(KindPressMovesFocus(FocusedControl::TrackBox, kind), kind != BgmKindCd) << kind;
        EXPECT_EQ(KindPressMovesFocus(FocusedControl::Browse, kind), kind != BgmKindFile) << kind;
    }
}

TEST(KindSelection, ArrowsFollowTheRowsOnScreenWithoutWrapping)
{
    // Rows top to bottom: audio CD (1), none (0), music file (2).
    EXPECT_EQ(NeighbourKind(1, +1), 0);
    EXPECT_EQ(NeighbourKind(0, +1), 2);
    EXPECT_EQ(NeighbourKind(2, +1), std::nullopt);
    EXPECT_EQ(NeighbourKind(2, -1), 0);
    EXPECT_EQ(NeighbourKind(0, -1), 1);
    EXPECT_EQ(NeighbourKind(1, -1), std::nullopt);
    EXPECT_EQ(NeighbourKind(5, +1), 1); // nothing selected: down takes the top row
    EXPECT_EQ(NeighbourKind(5, -1), 2); // and up the bottom one
}

TEST(Animation, GrowsFromThePointerAndShrinksBackIntoWhereItWasAtOpening)
{
    const CursorPosition cursor = RecordCursor(std::pair<long, long>{300, 200});
    const ScreenRect atOpening{100, 120, 585, 400};
    const AnimationRects open = OpenAnimation(cursor, atOpening);
    EXPECT_EQ(open.From, (ScreenRect{300, 200, 300, 200}));
    EXPECT_EQ(open.To, atOpening);

    const ScreenRect moved{500, 50, 985, 330}; // dragged away before closing
    const AnimationRects close = CloseAnimation(cursor, moved);
    EXPECT_EQ(close.From, moved);
    EXPECT_EQ(close.To, (ScreenRect{300, 200, 300, 200}));

    // No pointer position, or one beyond 16 bits: the screen's corner.
    for (const auto& pointer :
         {std::optional<std::pair<long, long>>{}, std::optional(std::pair<long, long>{40000, 5})}) {
        const CursorPosition none = RecordCursor(pointer);
        EXPECT_EQ(OpenAnimation(none, atOpening).From, (ScreenRect{0, 0, 0, 0}));
    }
}

TEST(StorablePath, CodePageFormElseShortFormElseRefusedAndNeverLongerThanTheBuffer)
{
    FakePaths paths;
    const std::wstring japanese = L"C:\\\u97f3\u697d\\song.mp3";
    const std::wstring deep = L"C:\\" + std::wstring(260, L'a') + L"\\song.mp3";
    const std::wstring deepNoShort = L"D:\\" + std::wstring(260, L'b') + L"\\song.mp3";
    paths.ShortNames[japanese] = L"C:\\B3F2~1\\song.mp3";
    paths.ShortNames[deep] = L"C:\\AAAAAA~1\\song.mp3";

    EXPECT_EQ(StorablePath(L"C:\\Music\\Caf\u00e9.wav", paths), "C:\\Music\\Caf\xe9.wav");
    EXPECT_EQ(StorablePath(japanese, paths), "C:\\B3F2~1\\song.mp3");
    EXPECT_EQ(StorablePath(L"E:\\\u97f3\u697d.mp3", paths), std::nullopt); // no short name
    EXPECT_EQ(StorablePath(deep, paths), "C:\\AAAAAA~1\\song.mp3");        // too long, but its short form fits
    EXPECT_EQ(StorablePath(deepNoShort, paths), std::nullopt);
    EXPECT_EQ(StorablePath(L"C:\\" + std::wstring(252, L'c'), paths)->size(), 255u); // exactly the buffer

    EXPECT_EQ(FileUnusableMessage("E:\\音楽.mp3"), "このファイルは使えません。\r\nE:\\音楽.mp3");
}

class SaveTest : public ::testing::Test {
protected:
    FakeProfile profile;
    FrontEndState state;
    const std::string file = "C:\\Saver\\Vessmark.ini";

    void SetUp() override
    {
        state.BgmKind = 2;
        state.BgmRepeat = 5;
        state.BgmFile = "C:\\Music\\a.mp3";
    }
};

TEST_F(SaveTest, WritesTheThreeKeysInOrder)
{
    EXPECT_TRUE(SaveSettingsWhole(state, profile, file).Saved);
    EXPECT_THAT(profile.WrittenKeys, ElementsAre(IniKeyBgmKind, IniKeyBgmRepeat, IniKeyBgmFile));
    EXPECT_EQ(profile.Files[file][IniKeyBgmRepeat], "5");
    EXPECT_EQ(profile.Files[file][IniKeyBgmFile], "C:\\Music\\a.mp3");
}

TEST_F(SaveTest, ARefusedFileKeepsItsBytesAndSaysWhy)
{
    profile.Files[file] = {{IniKeyBgmKind, "1"}, {IniKeyBgmRepeat, "3"}};
    const auto before = profile.Files;

    profile.RefusedKeys = {IniKeyBgmKind, IniKeyBgmRepeat, IniKeyBgmFile}; // a read-only file
    const SaveOutcome refused = SaveSettingsWhole(state, profile, file);
    EXPECT_FALSE(refused.Saved);
    EXPECT_EQ(refused.Reason, "Access denied.");
    EXPECT_TRUE(profile.WrittenKeys.empty());
    EXPECT_EQ(profile.Files, before);

    // Only the last key refused: the two written before are put back, the
    // one that was there to its old value, the absent one removed again.
    profile.Files[file].erase(IniKeyBgmRepeat);
    const auto withoutRepeat = profile.Files;
    profile.RefusedKeys = {IniKeyBgmFile};
    EXPECT_FALSE(SaveSettingsWhole(state, profile, file).Saved);
    EXPECT_EQ(profile.Files, withoutRepeat);
    EXPECT_THAT(profile.WrittenKeys, ElementsAre(IniKeyBgmKind, IniKeyBgmRepeat, IniKeyBgmRepeat, IniKeyBgmKind));

    // Every write reports success but the file keeps a value cut short (a
    // full disk): not saved, and the file as it was.
    profile.RefusedKeys.clear();
    profile.WrittenKeys.clear();
    profile.CutValuesAfter = 4;
    const SaveOutcome cut = SaveSettingsWhole(state, profile, file);
    EXPECT_FALSE(cut.Saved);
    EXPECT_EQ(cut.Reason, SavedValuesDifferReason);
    EXPECT_EQ(profile.Files, withoutRepeat);

    EXPECT_EQ(SaveFailedMessage("C:\\Saver\\Vessmark.ini", "Access denied."),
              "設定を保存できませんでした。\r\nC:\\Saver\\Vessmark.ini\r\nAccess denied.");
}

} // namespace
} // namespace vessmark
