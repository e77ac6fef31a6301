#include "command.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vessmark {
namespace {

using forms::FontDescription;
using forms::PropertyBag;
using forms::PropertyValue;
using forms::StoredProperties;

struct Face {
    Skin Picture;
    bool Reversed;
    bool operator==(const Face&) const = default;
};

void PrintTo(const Face& face, std::ostream* out)
{
    static const char* const Names[] = {"Normal", "HighLight", "Selected", "HighLightSelect", "Pressed", "Disable"};
    *out << Names[static_cast<int>(face.Picture)] << (face.Reversed ? " reversed" : "");
}

// The window as the button sees it: records every face painted and what else
// was asked of it.
class FakeSurface final : public CommandSurface {
public:
    std::vector<Face> Faces;
    std::vector<std::uint32_t> WatchIntervals;
    std::vector<bool> InputSwitches;
    std::vector<std::string> Changed;
    std::function<void(bool)> WhenInputSwitched;

    void DrawFace(Skin skin, bool gradientReversed) override { Faces.push_back({skin, gradientReversed}); }
    void Refresh() override {}
    void StartPointerWatch(std::uint32_t intervalMs) override { WatchIntervals.push_back(intervalMs); }
    void AcceptInput(bool accept) override
    {
        InputSwitches.push_back(accept);
        if (WhenInputSwitched) {
            WhenInputSwitched(accept);
        }
    }
    void PropertyChanged(std::string_view name) override { Changed.emplace_back(name); }
};

// A property storage that notes the order in which keys are asked for and written.
class LoggingStorage final : public forms::PropertyStorage {
public:
    StoredProperties Stored;
    std::vector<std::string> Read;
    std::vector<std::string> Written; // stored or removed

    std::optional<PropertyValue> Find(const std::string& key) override
    {
        Read.push_back(key);
        return Stored.Find(key);
    }
    void Store(const std::string& key, const PropertyValue& value) override
    {
        Written.push_back(key);
        Stored.Store(key, value);
    }
    void Remove(const std::string& key) override
    {
        Written.push_back(key);
        Stored.Remove(key);
    }
};

const FontDescription Ambient{"MS Shell Dlg 2", 8.25, 400, false, false, false, 1};
const FontDescription DialogFont{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128};
constexpr std::uint32_t Red = 0x0000FF;

// A button as a host has it once loaded, sized and initialised; the faces
// painted so far are forgotten, clicks counted.
struct Button {
    FakeSurface Surface;
    Command Control{Surface};
    int Clicks = 0;

    explicit Button(StoredProperties stored = {}, bool initialize = true)
    {
        Control.Click = [this] { ++Clicks; };
        PropertyBag bag(stored);
        Control.ReadProperties(bag, Ambient);
        Control.Resize();
        if (initialize) {
            Control.Initialize();
        }
        Surface.Faces.clear();
    }
    std::vector<Face> TakeFaces() { return std::exchange(Surface.Faces, {}); }
};

// The whole table of an enabled button: from each state, each event gives a
// state and a face (or none), and a left release clicks except in Selected.
TEST(CommandTransitions, FollowTheTableFromEveryState)
{
    using Event = std::function<void(Command&)>;
    // How each state is reached from a loaded button.
    const std::function<void(Command&)> reach[] = {
        [](Command&) {},
        [](Command& c) { c.Initialize(); },
        [](Command& c) { c.Initialize(); c.MouseMove(); },
        [](Command& c) { c.Initialize(); c.GotFocus(); },
        [](Command& c) { c.Initialize(); c.GotFocus(); c.MouseMove(); },
    };
    struct Outcome {
        std::uint8_t State;
        std::optional<Skin> Face; // nothing: no repaint
    };
    constexpr std::uint8_t Kept = 255;
    const auto S = [](std::uint8_t state, std::optional<Skin> face) { return Outcome{state, face}; };
    struct Row {
        const char* Name;
        Event Apply;
        Outcome From[5];
        Event Before = [](Command&) {}; // after reaching the state, before its faces are forgotten
    };
    const Row rows[] = {
        {"got focus", [](Command& c) { c.GotFocus(); },
         {S(3, Skin::Selected), S(3, Skin::Selected), S(4, Skin::Pressed), S(3, Skin::Selected), S(3, Skin::Selected)}},
        {"lost focus", [](Command& c) { c.LostFocus(); },
         {S(1, Skin::Normal), S(1, {}), S(1, Skin::Normal), S(1, Skin::Normal), S(1, Skin::Normal)}},
        {"left down", [](Command& c) { c.MouseDown(MouseButton::Left); },
         {S(Kept, Skin::Pressed), S(Kept, Skin::Pressed), S(Kept, Skin::Pressed), S(Kept, Skin::Pressed),
          S(Kept, Skin::Pressed)}},
        {"move", [](Command& c) { c.MouseMove(); },
         {S(0, {}), S(2, Skin::HighLight), S(2, {}), S(4, Skin::HighLightSelect), S(4, {})}},
        {"left up", [](Command& c) { c.MouseUp(MouseButton::Left); },
         {S(0, {}), S(1, {}), S(2, Skin::Normal), S(3, {}), S(4, Skin::HighLightSelect)}},
        {"pointer not over it", [](Command& c) { c.PointerWatchTick(PointerPlace::Elsewhere); },
         {S(0, {}), S(1, {}), S(1, Skin::Normal), S(3, {}), S(3, Skin::Selected)}},
        {"Initialize", [](Command& c) { c.Initialize(); }, {S(1, {}), S(1, {}), S(1, {}), S(1, {}), S(1, {})}},
        // The press ends: the face of the state, which a plain move can change again.
        {"capture lost while held", [](Command& c) { c.CaptureLost(); },
         {S(Kept, Skin::Normal), S(Kept, Skin::Normal), S(Kept, Skin::HighLight), S(Kept, Skin::Selected),
          S(Kept, Skin::HighLightSelect)},
         [](Command& c) { c.MouseDown(MouseButton::Left); }},
        {"capture lost", [](Command& c) { c.CaptureLost(); }, {S(0, {}), S(1, {}), S(2, {}), S(3, {}), S(4, {})}},
        // A new resolution paints again the face shown, not the resting one.
        {"rescaled", [](Command& c) { c.Rescaled(); },
         {S(Kept, Skin::Normal), S(Kept, Skin::Normal), S(Kept, Skin::HighLight), S(Kept, Skin::Selected),
          S(Kept, Skin::HighLightSelect)}},
        {"rescaled while held", [](Command& c) { c.Rescaled(); },
         {S(Kept, Skin::Pressed), S(Kept, Skin::Pressed), S(Kept, Skin::Pressed), S(Kept, Skin::Pressed),
          S(Kept, Skin::Pressed)},
         [](Command& c) { c.MouseDown(MouseButton::Left); }},
    };
    for (const Row& row : rows) {
        for (std::uint8_t from = 0; from < 5; ++from) {
            SCOPED_TRACE(std::string(row.Name) + " from " + std::to_string(from));
            Button b(StoredProperties{}, false);
            reach[from](b.Control);
            ASSERT_EQ(b.Control.SkinState(), from);
            row.Before(b.Control);
            b.TakeFaces();
            row.Apply(b.Control);
            const Outcome& expected = row.From[from];
            EXPECT_EQ(b.Control.SkinState(), expected.State == Kept ? from : expected.State);
            const std::vector<Face> faces = b.TakeFaces();
            if (expected.Face) {
                ASSERT_EQ(faces.size(), 1u);
                EXPECT_EQ(faces[0].Picture, *expected.Face);
            } else {
                EXPECT_TRUE(faces.empty());
            }
            EXPECT_EQ(b.Clicks, std::string(row.Name) == "left up" && from != SkinSelected ? 1 : 0);
            if (std::string(row.Name).rfind("capture lost", 0) == 0) {
                EXPECT_FALSE(b.Control.ButtonHeld());
                b.Control.MouseMove(); // the hover look comes back with no release
                EXPECT_EQ(b.Control.SkinState(), from == SkinNormal ? SkinHighLight
                                                 : from == SkinSelected ? SkinHighLightSelect : from);
            }
        }
    }
}

TEST(CommandHover, ReversesTheGradientOfAnUnfocusedButtonUntilThePointerLeaves)
{
    for (const PointerPlace away : {PointerPlace::ParentWindow, PointerPlace::Elsewhere}) {
        Button b;
        b.Control.MouseMove();
        EXPECT_EQ(b.Control.SkinState(), SkinHighLight);
        EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::HighLight, true}}));
        b.Control.MouseMove();
        b.Control.PointerWatchTick(PointerPlace::OwnWindow); // over the caption or the face
        EXPECT_TRUE(b.TakeFaces().empty()) << "nothing is repainted while nothing changes";
        b.Control.PointerWatchTick(away);
        EXPECT_EQ(b.Control.SkinState(), SkinNormal);
        EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Normal, false}}));
    }
}

TEST(CommandFocus, AClickOnAHoveredButtonPressesThenHighlightsReversedAndReEntryPutsWhiteOnTop)
{
    Button b;
    b.Control.MouseMove();
    b.Control.GotFocus(); // the press gives it the focus
    b.Control.MouseDown(MouseButton::Left);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::HighLight, true}, {Skin::Pressed, true}, {Skin::Pressed, true}}));
    b.Control.MouseUp(MouseButton::Left);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::HighLightSelect, true}}));
    EXPECT_EQ(b.Clicks, 1);
    b.Control.PointerWatchTick(PointerPlace::Elsewhere);
    b.Control.MouseMove();
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Selected, false}, {Skin::HighLightSelect, false}}));
    EXPECT_EQ(b.Control.SkinState(), SkinHighLightSelect);
    b.Control.LostFocus();
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Normal, false}}));
    EXPECT_EQ(b.Clicks, 1);
}

TEST(CommandClick, RightOrMiddleReleaseOverAHoveredButtonClicksAndChangesNoFace)
{
    for (const MouseButton button : {MouseButton::Right, MouseButton::Middle}) {
        Button b;
        b.Control.MouseMove();
        b.TakeFaces();
        b.Control.MouseDown(button);
        EXPECT_EQ(b.Clicks, 0);
        b.Control.MouseUp(button);
        EXPECT_EQ(b.Clicks, 1);
        EXPECT_TRUE(b.TakeFaces().empty());
        EXPECT_EQ(b.Control.SkinState(), SkinHighLight);
        EXPECT_FALSE(b.Control.ButtonHeld());
    }
}

TEST(CommandClick, APressDraggedOffTheFocusedButtonEndsWithoutAClick)
{
    Button b;
    b.Control.MouseMove();
    b.Control.GotFocus();
    b.Control.MouseDown(MouseButton::Left);
    b.TakeFaces();
    b.Control.PointerWatchTick(PointerPlace::Elsewhere); // the first tick after leaving
    EXPECT_EQ(b.Control.SkinState(), SkinSelected);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Selected, false}}));
    b.Control.MouseMove(); // back over it, still held
    b.Control.PointerWatchTick(PointerPlace::OwnWindow);
    EXPECT_EQ(b.Control.SkinState(), SkinSelected);
    EXPECT_TRUE(b.TakeFaces().empty());
    b.Control.MouseUp(MouseButton::Left);
    EXPECT_EQ(b.Clicks, 0);
    EXPECT_EQ(b.Control.SkinState(), SkinSelected);
    EXPECT_FALSE(b.Control.ButtonHeld());
}

TEST(CommandInitialize, WithoutItHoverIsIgnoredAndTheFirstClickOnlyFocuses)
{
    Button b(StoredProperties{}, false);
    EXPECT_TRUE(b.Surface.WatchIntervals.empty());
    b.Control.MouseMove();
    EXPECT_TRUE(b.TakeFaces().empty());
    b.Control.GotFocus();
    b.Control.MouseDown(MouseButton::Left);
    b.Control.MouseUp(MouseButton::Left);
    EXPECT_EQ(b.Control.SkinState(), SkinSelected);
    EXPECT_EQ(b.Clicks, 0);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Selected, false}, {Skin::Pressed, false}}));
    // After a focus loss it follows the pointer and clicks, but nothing watches
    // for the pointer leaving.
    b.Control.LostFocus();
    b.Control.MouseMove();
    EXPECT_EQ(b.Control.SkinState(), SkinHighLight);
    b.Control.MouseUp(MouseButton::Right);
    EXPECT_EQ(b.Clicks, 1);
    EXPECT_TRUE(b.Surface.WatchIntervals.empty());

    b.Control.Initialize();
    EXPECT_EQ(b.Control.SkinState(), SkinNormal);
    EXPECT_EQ(b.Surface.WatchIntervals, std::vector<std::uint32_t>{Command::PointerWatchInterval});
}

TEST(CommandDisabled, ShowsTheDisabledFaceAndIgnoresEveryEvent)
{
    Button b(StoredProperties{{"Enabled", false}});
    EXPECT_FALSE(b.Control.EnabledFlag());
    EXPECT_FALSE(b.Control.CaptionEnabled());
    EXPECT_EQ(b.Surface.InputSwitches.back(), false);
    b.Control.MouseMove();
    b.Control.GotFocus();
    b.Control.MouseDown(MouseButton::Left);
    b.Control.MouseUp(MouseButton::Left);
    b.Control.MouseUp(MouseButton::Right);
    b.Control.KeyDown(ButtonKey::Space);
    b.Control.KeyUp(ButtonKey::Space);
    b.Control.KeyDown(ButtonKey::Enter);
    b.Control.PointerWatchTick(PointerPlace::Elsewhere);
    b.Control.LostFocus();
    EXPECT_TRUE(b.TakeFaces().empty());
    EXPECT_EQ(b.Clicks, 0);
    EXPECT_EQ(b.Control.SkinState(), SkinNormal);
    b.Control.Resize();
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Disable, false}}));
    EXPECT_FALSE(b.Control.CaptionEnabled());
}

TEST(CommandEnabled, SwitchingOnPaintsNormalWhateverTheStateAndKeepsIt)
{
    struct Case {
        const char* Name;
        std::function<void(Command&)> Reach;
        std::uint8_t State;
    };
    const Case cases[] = {
        {"normal", [](Command&) {}, SkinNormal},
        {"hovered", [](Command& c) { c.MouseMove(); }, SkinHighLight},
        {"focused", [](Command& c) { c.GotFocus(); }, SkinSelected},
        {"focused and hovered", [](Command& c) { c.GotFocus(); c.MouseMove(); }, SkinHighLightSelect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Button b;
        c.Reach(b.Control);
        b.TakeFaces();
        b.Control.SetEnabled(true);
        EXPECT_EQ(b.TakeFaces().back().Picture, Skin::Normal);
        EXPECT_EQ(b.Control.SkinState(), c.State);
        EXPECT_TRUE(b.Control.CaptionEnabled());
    }
}

TEST(CommandEnabled, SwitchingOffTakesInputAwayBeforeTheFlagSoAFocusLossStillCounts)
{
    Button b;
    b.Control.GotFocus();
    b.TakeFaces();
    b.Surface.WhenInputSwitched = [&](bool accept) {
        if (!accept) {
            b.Control.LostFocus(); // what the window system does to a focused window switched off
        }
    };
    b.Control.SetEnabled(false);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Normal, false}, {Skin::Disable, false}}));
    EXPECT_EQ(b.Control.SkinState(), SkinNormal);
    EXPECT_FALSE(b.Control.CaptionEnabled());
    b.Surface.WhenInputSwitched = nullptr;
    b.Control.SetEnabled(true);
    EXPECT_EQ(b.Surface.InputSwitches.back(), true);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Normal, false}}));
}

TEST(CommandVisible, ReadsZeroOr255AndAnyNonZeroValueMakesTheFaceOpaque)
{
    Button b;
    EXPECT_EQ(b.Control.Visible(), 255);
    for (const std::uint8_t value : {0, 1, 255, 0, 7}) {
        b.Control.SetVisible(value);
        EXPECT_EQ(b.Control.Opaque(), value != 0);
        EXPECT_EQ(b.Control.Visible(), value == 0 ? 0 : 255);
    }
    EXPECT_EQ(b.Surface.Changed.back(), "Visible");
}

TEST(CommandFirstRun, TheFirstReadOfEnabledTurnsTheCaptionBlackOnce)
{
    // A newly placed button: nothing stored has been read.
    FakeSurface surface;
    Command button(surface);
    EXPECT_FALSE(button.EnabledFlag());
    button.SetFontColour(Red); // while disabled, first-run defaults do not apply
    button.SetEnabled(true);
    EXPECT_EQ(button.CaptionColour(), Red);
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.CaptionColour(), 0u);
    EXPECT_EQ(button.FirstRun(), 1);
    button.SetFontColour(Red);
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(button.CaptionColour(), Red);
    EXPECT_EQ(button.FontColour(), Red);
}

TEST(CommandFirstRun, ANewButtonIsSwitchedOnByTheFirstReadAndThenStoresNothing)
{
    FakeSurface surface;
    Command button(surface);
    EXPECT_TRUE(button.Enabled());
    EXPECT_EQ(surface.Faces.back(), (Face{Skin::Normal, false}));
    StoredProperties stored;
    PropertyBag bag(stored);
    button.WriteProperties(bag, Ambient);
    EXPECT_EQ(stored.Values().count("Enabled"), 0u);
    EXPECT_EQ(stored.Values().count("FirstRun"), 0u);
}

TEST(CommandPersistence, ReadsAndWritesEachKeyInItsOrder)
{
    LoggingStorage storage;
    FakeSurface surface;
    Command button(surface);
    PropertyBag bag(storage);
    button.ReadProperties(bag, Ambient);
    EXPECT_EQ(storage.Read, (std::vector<std::string>{"Enabled", "Caption", "Font", "FirstRun", "FontColour", "Visible"}));
    button.WriteProperties(bag, Ambient);
    EXPECT_EQ(storage.Written,
              (std::vector<std::string>{"Enabled", "Caption", "FirstRun", "Font", "FontColour", "Visible"}));
    EXPECT_TRUE(storage.Stored.Values().empty()) << "every value is at its default";
    EXPECT_EQ(button.Caption(), "Command");
    EXPECT_EQ(button.Font(), Ambient);
}

TEST(CommandPersistence, ARoundTripKeepsEverySettingAndStoresOnlyWhatDiffers)
{
    FakeSurface surface;
    Command original(surface);
    StoredProperties first{{"Enabled", false}, {"Caption", std::string("設定")}, {"Font", DialogFont},
                           {"FontColour", std::int64_t{0x00FF00}}, {"Visible", std::int64_t{0}}};
    PropertyBag firstBag(first);
    original.ReadProperties(firstBag, Ambient);

    StoredProperties saved;
    PropertyBag savedBag(saved);
    original.WriteProperties(savedBag, Ambient);
    EXPECT_EQ(saved.Values().size(), 5u) << "FirstRun stays at its default";

    FakeSurface copySurface;
    Command copy(copySurface);
    PropertyBag readBack(saved);
    copy.ReadProperties(readBack, Ambient);
    EXPECT_FALSE(copy.EnabledFlag());
    EXPECT_EQ(copy.Caption(), "設定");
    EXPECT_EQ(copy.Font(), DialogFont);
    EXPECT_EQ(copy.FirstRun(), 1);
    EXPECT_EQ(copy.CaptionColour(), 0x00FF00u);
    EXPECT_FALSE(copy.Opaque());
    EXPECT_EQ(copySurface.InputSwitches.back(), false);
}

TEST(CommandPersistence, TheDialogsDefinitionLoadsEnabledBlackAndOpaque)
{
    Button b(StoredProperties{{"Caption", std::string("ｷｬﾝｾﾙ")}, {"Font", DialogFont}});
    EXPECT_TRUE(b.Control.EnabledFlag());
    EXPECT_EQ(b.Control.FirstRun(), 1);
    EXPECT_EQ(b.Control.CaptionColour(), 0u);
    EXPECT_TRUE(b.Control.Opaque());
    EXPECT_EQ(b.Control.Caption(), "ｷｬﾝｾﾙ");
    EXPECT_EQ(b.Control.Font(), DialogFont);
}

TEST(CommandPersistence, AStoredValueThatCannotBeReadLeavesItsSetting)
{
    FakeSurface surface;
    Command button(surface);
    StoredProperties stored{{"Visible", std::string("opaque")}, {"FirstRun", std::int64_t{300}},
                            {"FontColour", std::string("2.5")}, {"Font", std::string("Arial")},
                            {"Enabled", std::string("yes")}};
    PropertyBag bag(stored);
    button.ReadProperties(bag, Ambient);
    EXPECT_TRUE(button.Opaque());
    EXPECT_EQ(button.FirstRun(), 0);
    EXPECT_EQ(button.CaptionColour(), 2u) << "a number text is a number, rounded to even";
    EXPECT_EQ(button.Font(), FontDescription{});
    EXPECT_FALSE(button.EnabledFlag());
}

TEST(CommandKeyboard, SpacePressesUntilReleasedThenClicksAndEnterClicksAtOnce)
{
    Button b;
    b.Control.GotFocus();
    b.TakeFaces();
    b.Control.KeyDown(ButtonKey::Space);
    b.Control.KeyDown(ButtonKey::Space); // the key repeats while held
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Pressed, false}}));
    EXPECT_EQ(b.Clicks, 0);
    b.Control.KeyUp(ButtonKey::Space);
    EXPECT_EQ(b.TakeFaces(), (std::vector<Face>{{Skin::Selected, false}}));
    EXPECT_EQ(b.Clicks, 1) << "a keyboard click acts on the focused button, unlike a mouse release";
    b.Control.KeyDown(ButtonKey::Enter);
    EXPECT_EQ(b.Clicks, 2);
    EXPECT_TRUE(b.TakeFaces().empty());

    b.Control.MouseMove(); // focused and hovered: released back to HighLightSelect
    b.Control.KeyDown(ButtonKey::Space);
    b.Control.KeyUp(ButtonKey::Space);
    EXPECT_EQ(b.TakeFaces().back(), (Face{Skin::HighLightSelect, false}));
    EXPECT_EQ(b.Clicks, 3);
}

// Found by fuzzing: a press held through a switch-off and on again clicked,
// or swallowed the next press, on its release.
TEST(CommandEnabled, SwitchingOffEndsAPressUnderWay)
{
    Button b;
    b.Control.GotFocus();
    b.Control.KeyDown(ButtonKey::Space);
    b.Control.MouseDown(MouseButton::Left);
    b.Control.SetEnabled(false);
    b.Control.SetEnabled(true);
    EXPECT_FALSE(b.Control.ButtonHeld());
    b.TakeFaces();
    b.Control.KeyUp(ButtonKey::Space);
    EXPECT_EQ(b.Clicks, 0);
    EXPECT_TRUE(b.TakeFaces().empty());
    b.Control.KeyDown(ButtonKey::Space); // a new press shows at once
    ASSERT_EQ(b.Surface.Faces.size(), 1u);
    EXPECT_EQ(b.Surface.Faces[0].Picture, Skin::Pressed);
}

TEST(CommandKeyboard, LosingTheFocusWhileSpaceIsHeldCancelsTheClick)
{
    Button b;
    b.Control.GotFocus();
    b.Control.KeyDown(ButtonKey::Space);
    b.Control.LostFocus();
    b.Control.KeyUp(ButtonKey::Space);
    EXPECT_EQ(b.Clicks, 0);
    b.Control.KeyUp(ButtonKey::Enter);
    EXPECT_EQ(b.Clicks, 0);
}

} // namespace
} // namespace vessmark
