#include "input_rules.h"

#include <cstdio>
#include <cstdlib>

namespace vessmark {

namespace {
InputCause CauseOf(unsigned message, double seconds)
{
    InputCause cause;
    cause.Message = message;
    cause.Seconds = seconds;
    return cause;
}
} // namespace

bool SwallowsSysCommand(std::uintptr_t wParam)
{
    return wParam == ScNextWindow || wParam == ScPrevWindow || wParam == ScScreenSave;
}

void InputRules::Arm(const InputCause& cause)
{
    if (CloseArmed == 0) {
        ArmedBy = cause;
    }
    CloseArmed = 1;
}

InputAction InputRules::AskClose(InputAction action, const InputCause& cause)
{
    action.PostClose = true;
    CloseAskedBy = cause;
    ++ClosesAsked;
    return action;
}

InputAction InputRules::Handle(unsigned message, std::uintptr_t wParam,
                               const std::function<CursorPoint()>& readCursor)
{
    InputAction action;
    if (message == msg::Close) {
        LastCloseOwn = ClosesAsked > 0;
        if (LastCloseOwn) {
            --ClosesAsked;
        }
        LastCloseAt = Now;
        action.Reply = CloseArmed ? InputReply::AskPassword : InputReply::ReturnZero;
        return action;
    }
    if (PasswordDialogActive) {
        return action;
    }
    switch (message) {
    case msg::ShowWindow:
        action.HideCursor = wParam != 0;
        break;
    case msg::SetCursor:
        action.HideCursor = true;
        action.Reply = InputReply::ReturnTrue;
        break;
    case msg::ActivateApp:
        if (wParam == 0) {
            const InputCause cause = CauseOf(message, Now);
            Arm(cause);
            action = AskClose(action, cause);
        }
        break;
    case msg::KeyDown:
    case msg::SysKeyDown:
    case msg::LButtonDown:
    case msg::RButtonDown:
    case msg::MButtonDown: {
        InputCause cause = CauseOf(message, Now);
        if (message == msg::KeyDown || message == msg::SysKeyDown) {
            cause.Code = wParam;
        }
        Arm(cause);
        action = AskClose(action, cause);
        break;
    }
    case msg::MouseMove: {
        const CursorPoint now = readCursor();
        const long distance = std::labs(LastCursorPos.X - now.X) + std::labs(LastCursorPos.Y - now.Y);
        InputCause cause = CauseOf(message, Now);
        cause.Distance = distance;
        cause.From = LastCursorPos;
        cause.To = now;
        cause.FirstMove = FirstMoveSeen == 0;
        // The first move is often synthesised by the system when the window
        // appears under the cursor: it may post a close, but never arms one.
        if (FirstMoveSeen == 0) {
            FirstMoveSeen = 1;
        } else {
            Arm(cause);
        }
        if (distance > MouseMoveThreshold) {
            action = AskClose(action, cause);
        } else {
            LastCursorPos = now;
        }
        break;
    }
    default:
        break;
    }
    return action;
}

InputAction InputRules::HandleOnBlankScreen(unsigned message, std::uintptr_t wParam,
                                            const std::function<CursorPoint()>& readCursor)
{
    if (message != msg::MouseMove || PasswordDialogActive) {
        return Handle(message, wParam, readCursor);
    }
    const CursorPoint now = readCursor();
    if (now.X == LastCursorPos.X && now.Y == LastCursorPos.Y) {
        return {};
    }
    return Handle(message, wParam, [now] { return now; });
}

namespace {

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

std::string KeyText(std::uintptr_t code)
{
    char text[32];
    std::snprintf(text, sizeof text, "key code 0x%02llX", static_cast<unsigned long long>(code));
    return text;
}

std::string PointText(const CursorPoint& point)
{
    return std::to_string(point.X) + "," + std::to_string(point.Y);
}

// What one input was, in plain words.
std::string Describe(const InputCause& cause, const std::string& elsewhere)
{
    switch (cause.Message) {
    case msg::KeyDown:
        return "a key press (" + KeyText(cause.Code) + ")";
    case msg::SysKeyDown:
        return "a key press with Alt or F10 (" + KeyText(cause.Code) + ")";
    case msg::LButtonDown:
        return "the left mouse button";
    case msg::RButtonDown:
        return "the right mouse button";
    case msg::MButtonDown:
        return "the middle mouse button";
    case msg::ActivateApp:
        return elsewhere.empty() ? "a switch to another program" : "a switch to another program (" + elsewhere + ")";
    case msg::MouseMove:
        return (cause.FirstMove ? "the first mouse move, " : "a mouse move of ") + std::to_string(cause.Distance) +
               " px (from " + PointText(cause.From) + " to " + PointText(cause.To) + ")";
    default:
        return "no input";
    }
}

} // namespace

std::string CloseReport(const InputRules& rules, bool honoured, const std::string& elsewhere)
{
    const std::string at = SecondsText(rules.LastCloseAt);
    if (honoured) {
        if (rules.LastCloseOwn) {
            return "the show ends " + at + " after its window appeared, on " + Describe(rules.CloseAskedBy, elsewhere) +
                   ".";
        }
        return "the show ends " + at + " after its window appeared, on a close request from another program, " +
               "accepted because of " + Describe(rules.ArmedBy, elsewhere) + " at " +
               SecondsText(rules.ArmedBy.Seconds) + ".";
    }
    if (rules.LastCloseOwn && rules.CloseAskedBy.FirstMove) {
        return "a close request " + at + " after the window appeared is ignored: " +
               Describe(rules.CloseAskedBy, elsewhere) + ", does not count as input.";
    }
    return "a close request from another program " + at +
           " after the window appeared is ignored: no key, mouse button, mouse move or switch to another program "
           "has come yet.";
}

} // namespace vessmark
