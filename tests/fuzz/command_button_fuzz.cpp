// Any sequence of what the button's window can report (focus, presses, moves,
// releases, pointer-watch ticks, keys, resizes, Enabled switched and read,
// property reads and writes, a lost pointer capture, a new resolution),
// checked against the button's rules: the skin state stays 0..4, a mouse
// release in state 3 raises no Click, nothing is clicked while disabled, each
// event repaints exactly as the transition table and the enabled and property
// rules say (face and count), a lost capture ends the press, and a new
// resolution paints the face shown again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "command.h"
#include "fuzz_input.h"

namespace {

using vessmark::fuzz::Check;

using vessmark::ButtonKey;
using vessmark::Command;
using vessmark::MouseButton;
using vessmark::PointerPlace;
using vessmark::Skin;

class RecordingSurface final : public vessmark::CommandSurface {
public:
    std::vector<Skin> Faces;
    void DrawFace(Skin skin, bool) override { Faces.push_back(skin); }
    void Refresh() override {}
    void StartPointerWatch(std::uint32_t) override {}
    void AcceptInput(bool) override {}
};

// The face the rules repaint for one event, from the state before it:
// nothing, one face, or (property reads and writes) the Normal face.
struct Expected {
    std::optional<Skin> Face;
    std::optional<std::uint8_t> State; // the state after, when the event sets one
    bool MayClick = false;
};

Skin Resting(std::uint8_t state)
{
    switch (state) {
    case 2:
        return Skin::HighLight;
    case 3:
        return Skin::Selected;
    case 4:
        return Skin::HighLightSelect;
    default:
        return Skin::Normal;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RecordingSurface surface;
    Command button(surface);
    int clicks = 0;
    button.Click = [&] { ++clicks; };
    bool spaceHeld = false;

    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t op = data[i] % 21;
        const std::uint8_t state = button.SkinState();
        const bool enabled = button.EnabledFlag();
        const bool held = button.ButtonHeld();
        const std::size_t facesBefore = surface.Faces.size();
        const int clicksBefore = clicks;
        Expected expected;
        bool checkFace = true;

        switch (op) {
        case 0:
            button.GotFocus();
            if (enabled) {
                expected = state == 2 ? Expected{Skin::Pressed, 4} : Expected{Skin::Selected, 3};
            }
            break;
        case 1:
            button.LostFocus();
            spaceHeld = false;
            if (enabled && state != 1) {
                expected = {Skin::Normal, 1};
            }
            break;
        case 2:
        case 3:
        case 4: {
            const MouseButton which = op == 2 ? MouseButton::Left : op == 3 ? MouseButton::Right : MouseButton::Middle;
            button.MouseDown(which);
            if (enabled && which == MouseButton::Left) {
                expected = {Skin::Pressed, std::nullopt};
            }
            break;
        }
        case 5:
            button.MouseMove();
            if (enabled && state == 1) {
                expected = {Skin::HighLight, 2};
            } else if (enabled && state == 3 && !held) {
                expected = {Skin::HighLightSelect, 4};
            }
            break;
        case 6:
        case 7:
        case 8: {
            const MouseButton which = op == 6 ? MouseButton::Left : op == 7 ? MouseButton::Right : MouseButton::Middle;
            button.MouseUp(which);
            if (enabled && which == MouseButton::Left && (state == 2 || state == 4)) {
                expected.Face = state == 2 ? Skin::Normal : Skin::HighLightSelect;
            }
            expected.MayClick = enabled && state != 3;
            // A mouse release raises Click exactly when the rules say so.
            Check((clicks - clicksBefore == 1) == expected.MayClick);
            Check(!(which == MouseButton::Left && enabled) || !button.ButtonHeld());
            break;
        }
        case 9:
        case 10:
        case 11: {
            const PointerPlace place = op == 9 ? PointerPlace::OwnWindow
                                       : op == 10 ? PointerPlace::ParentWindow
                                                  : PointerPlace::Elsewhere;
            button.PointerWatchTick(place);
            if (enabled && place != PointerPlace::OwnWindow && (state == 2 || state == 4)) {
                expected = state == 2 ? Expected{Skin::Normal, 1} : Expected{Skin::Selected, 3};
            }
            break;
        }
        case 12:
            button.KeyDown(ButtonKey::Space);
            if (enabled && !spaceHeld) {
                expected = {Skin::Pressed, std::nullopt};
                spaceHeld = true;
            }
            break;
        case 13:
            button.KeyUp(ButtonKey::Space);
            if (enabled && spaceHeld) {
                expected = {Resting(state), std::nullopt, true};
                spaceHeld = false;
                Check(clicks - clicksBefore == 1);
            }
            break;
        case 14:
            button.KeyDown(ButtonKey::Enter);
            expected.MayClick = enabled;
            Check((clicks - clicksBefore == 1) == enabled);
            break;
        case 15:
            button.Initialize();
            expected.State = 1;
            break;
        case 16: {
            const bool on = i + 1 < size && data[++i] % 2 == 1;
            button.SetEnabled(on);
            // Switching repaints the resting face of the switch, whatever the state.
            expected.Face = on ? Skin::Normal : Skin::Disable;
            if (!on) {
                spaceHeld = false;
            }
            break;
        }
        case 17:
            button.Resize();
            expected.Face = enabled ? Skin::Normal : Skin::Disable;
            break;
        case 18: {
            // A property read or write: at most the Normal face, and only
            // when enabled (or on the first read of Enabled, which enables).
            const std::uint8_t which = i + 1 < size ? data[++i] % 5 : 0;
            if (which == 0) {
                button.Enabled();
            } else if (which == 1) {
                button.FontColour();
            } else if (which == 2) {
                button.Visible();
            } else {
                button.SetVisible(which == 3 ? 3 : 0);
            }
            checkFace = false;
            for (std::size_t f = facesBefore; f < surface.Faces.size(); ++f) {
                Check(surface.Faces[f] == Skin::Normal || surface.Faces[f] == Skin::Disable);
            }
            Check(surface.Faces.size() - facesBefore <= 2);
            break;
        }
        case 19:
            button.CaptureLost();
            if (enabled && held) {
                expected.Face = Resting(state);
            }
            Check(!button.ButtonHeld());
            break;
        case 20:
            button.Rescaled();
            expected.Face = facesBefore > 0 ? surface.Faces[facesBefore - 1] : Skin::Disable;
            break;
        default:
            break;
        }

        Check(button.SkinState() <= 4);
        if (!enabled && button.EnabledFlag() == false) {
            Check(clicks == clicksBefore); // nothing is clicked while disabled
        }
        if (op != 13 && op != 14 && !(op >= 6 && op <= 8)) {
            Check(clicks == clicksBefore); // only releases and keys click
        }
        if (checkFace) {
            const std::size_t painted = surface.Faces.size() - facesBefore;
            Check(painted == (expected.Face ? 1u : 0u));
            if (expected.Face) {
                Check(surface.Faces.back() == *expected.Face);
            }
            if (expected.State) {
                Check(button.SkinState() == *expected.State);
            } else if (op != 18) {
                Check(button.SkinState() == state);
            }
        }
    }
    return 0;
}
