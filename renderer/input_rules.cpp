#include "input_rules.h"

#include <cstdlib>

namespace vessmark {

bool SwallowsSysCommand(std::uintptr_t wParam)
{
    return wParam == ScNextWindow || wParam == ScPrevWindow || wParam == ScScreenSave;
}

InputAction InputRules::Handle(unsigned message, std::uintptr_t wParam,
                               const std::function<CursorPoint()>& readCursor)
{
    InputAction action;
    if (message == msg::Close) {
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
            CloseArmed = 1;
            action.PostClose = true;
        }
        break;
    case msg::KeyDown:
    case msg::SysKeyDown:
    case msg::LButtonDown:
    case msg::RButtonDown:
    case msg::MButtonDown:
        CloseArmed = 1;
        action.PostClose = true;
        break;
    case msg::MouseMove: {
        // The first move is often synthesised by the system when the window
        // appears under the cursor: it may post a close, but never arms one.
        if (FirstMoveSeen == 0) {
            FirstMoveSeen = 1;
        } else {
            CloseArmed = 1;
        }
        const CursorPoint now = readCursor();
        const long distance = std::labs(LastCursorPos.X - now.X) + std::labs(LastCursorPos.Y - now.Y);
        if (distance > MouseMoveThreshold) {
            action.PostClose = true;
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

} // namespace vessmark
