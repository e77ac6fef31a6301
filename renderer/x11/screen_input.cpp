#include "screen_input.h"

#include <cstdio>

namespace vessmark {

namespace {
// X's core pointer buttons. 4 to 7 are the wheel's notches (vertical and
// horizontal), which end nothing, as the wheel does not on Windows; 8 and up
// are side buttons, for which the Windows host has no rule either.
constexpr unsigned LeftButton = 1;
constexpr unsigned MiddleButton = 2;
constexpr unsigned RightButton = 3;

// A focus change that moves the keyboard away from the window, as opposed to
// the bookkeeping X reports when the focus follows the pointer, moves inside
// the window, or is taken for a moment by a grab.
bool TakesFocusAway(const XFocusChangeEvent& focus)
{
    if (focus.mode == NotifyGrab || focus.mode == NotifyUngrab) {
        return false;
    }
    return focus.detail != NotifyPointer && focus.detail != NotifyInferior && focus.detail != NotifyDetailNone;
}

// The window that holds the keyboard focus now, in words.
std::string FocusHolder(Display* display)
{
    Window holder = 0;
    int revertTo = 0;
    if (display == nullptr || XGetInputFocus(display, &holder, &revertTo) == 0) {
        return {};
    }
    if (holder == None) {
        return "the keyboard focus went nowhere";
    }
    if (holder == PointerRoot) {
        return "the keyboard focus follows the pointer";
    }
    char number[32];
    std::snprintf(number, sizeof number, "0x%lx", holder);
    return std::string("the keyboard focus went to window ") + number;
}
} // namespace

std::optional<RuleMessage> ScreenInput::Translate(const XEvent& event)
{
    switch (event.type) {
    case KeyPress:
        return RuleMessage{msg::KeyDown, event.xkey.keycode, {}};
    case ButtonPress:
        switch (event.xbutton.button) {
        case LeftButton:
            return RuleMessage{msg::LButtonDown, 0, {}};
        case MiddleButton:
            return RuleMessage{msg::MButtonDown, 0, {}};
        case RightButton:
            return RuleMessage{msg::RButtonDown, 0, {}};
        default:
            return std::nullopt;
        }
    case MotionNotify:
        // Every motion event carries the pointer's screen position at that
        // moment: the cursor position the Windows host reads for each move,
        // without a round trip and in the order the moves were made.
        return RuleMessage{msg::MouseMove, 0, {event.xmotion.x_root, event.xmotion.y_root}};
    case FocusIn:
        if (!TakesFocusAway(event.xfocus)) {
            return std::nullopt;
        }
        focused_ = true;
        return RuleMessage{msg::ActivateApp, 1, {}};
    case FocusOut:
        if (!focused_ || !TakesFocusAway(event.xfocus)) {
            return std::nullopt;
        }
        focused_ = false;
        focusWentTo_ = FocusHolder(event.xfocus.display);
        return RuleMessage{msg::ActivateApp, 0, {}};
    case ClientMessage:
        if (event.xclient.message_type == protocols_ && event.xclient.format == 32
            && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) {
            return RuleMessage{msg::Close, 0, {}};
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool ScreenInput::EndsShow(const XEvent& event)
{
    const auto message = Translate(event);
    return message && Perform(*message);
}

bool ScreenInput::Perform(const RuleMessage& message)
{
    rules_.Now = std::chrono::duration<double>(std::chrono::steady_clock::now() - shownAt_).count();
    const auto cursor = [&message] { return message.Cursor; };
    InputAction action = rules_.Handle(message.Message, message.WParam, cursor);
    if (action.PostClose) {
        // The close request the rules post is the next message the window
        // would see; X has no queue of ours to post it to, so it is handled
        // at once.
        action = rules_.Handle(msg::Close, 0, cursor);
    } else if (message.Message != msg::Close) {
        return false;
    }
    // An armed close goes to the password check, which exists only on
    // Windows 9x: here it always lets the show end.
    const bool ends = action.Reply == InputReply::AskPassword;
    if (report_ != nullptr) {
        *report_ << "vessmark-show: " << CloseReport(rules_, ends, focusWentTo_) << std::endl;
    }
    return ends;
}

} // namespace vessmark
