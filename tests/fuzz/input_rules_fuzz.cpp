// Fuzzes the renderer's input rules with any order of messages, parameters and
// cursor positions, to the show's window or to a black window on another
// monitor, the password dialog coming and going between them. The
// show ends only through an armed close (the AskPassword reply), and the close
// is armed only after an arming input: a key, a mouse button, losing
// activation, or a mouse move after the first one, each while no password
// dialog is up. Beside that: the dialog makes every other message stand
// aside, the cursor is read for mouse moves only, the reference position moves
// only by small steps (or to where the cursor was after a refused password),
// a move of more than the threshold asks for a close, and a move on a black
// window that did not move the cursor off the reference changes nothing.

#include <cstdint>
#include <cstdlib>

#include "fuzz_input.h"
#include "input_rules.h"

namespace {

using vessmark::fuzz::Check;

class Input : public vessmark::fuzz::ByteReader {
public:
    using ByteReader::ByteReader;
    // A screen coordinate: mostly near the last one, sometimes anywhere a
    // 32-bit coordinate can be.
    long Coordinate(long near)
    {
        const std::uint8_t how = Byte();
        if (how < 0xC0) {
            return near + static_cast<std::int8_t>(Byte()) % 8;
        }
        return static_cast<std::int32_t>(Word());
    }
};

// The messages the rules know, and a few they must leave alone.
constexpr unsigned Messages[] = {
    vessmark::msg::Close,       vessmark::msg::ShowWindow,  vessmark::msg::ActivateApp, vessmark::msg::SetCursor,
    vessmark::msg::KeyDown,     vessmark::msg::SysKeyDown,  vessmark::msg::SysCommand,  vessmark::msg::MouseMove,
    vessmark::msg::LButtonDown, vessmark::msg::RButtonDown, vessmark::msg::MButtonDown,
    0x0101 /* WM_KEYUP */,      0x0202 /* WM_LBUTTONUP */,  0x020A /* WM_MOUSEWHEEL */, 0x0203 /* WM_LBUTTONDBLCLK */,
    0x0006 /* WM_ACTIVATE */,   0x000F /* WM_PAINT */,      0x0000 /* WM_NULL */,
};
constexpr std::size_t MessageKinds = sizeof Messages / sizeof Messages[0];

bool IsPress(unsigned message)
{
    return message == vessmark::msg::KeyDown || message == vessmark::msg::SysKeyDown ||
           message == vessmark::msg::LButtonDown || message == vessmark::msg::RButtonDown ||
           message == vessmark::msg::MButtonDown;
}

long Distance(const vessmark::CursorPoint& a, const vessmark::CursorPoint& b)
{
    return std::labs(a.X - b.X) + std::labs(a.Y - b.Y);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    vessmark::CursorPoint cursor{static_cast<std::int16_t>(input.Byte() << 8 | input.Byte()),
                                 static_cast<std::int16_t>(input.Byte() << 8 | input.Byte())};
    vessmark::InputRules rules;
    rules.Start(cursor);
    Check(rules.LastCursorPos.X == cursor.X && rules.LastCursorPos.Y == cursor.Y);

    bool armingInputSeen = false; // by the test's own count
    bool moveTakenIn = false;
    while (!input.Done()) {
        const std::uint8_t pick = input.Byte();
        if (pick >= 0xF8) {
            // The password dialog opens or closes, or was refused.
            if (pick == 0xF8) {
                rules.PasswordDialogActive = 1;
            } else if (pick == 0xF9) {
                rules.PasswordDialogActive = 0;
            } else if (pick == 0xFA && rules.CloseArmed) {
                cursor = {input.Coordinate(cursor.X), input.Coordinate(cursor.Y)};
                rules.PasswordRefused(cursor);
                Check(rules.LastCursorPos.X == cursor.X && rules.LastCursorPos.Y == cursor.Y);
                Check(rules.CloseArmed == 1); // still armed after a refusal
            }
            continue;
        }
        const unsigned message = pick < 0xF0 ? Messages[pick % MessageKinds] : input.Word() & 0xFFFF;
        std::uintptr_t wParam = 0;
        const std::uint8_t parameters = input.Byte();
        const bool onBlank = (parameters & 4) != 0;
        switch (parameters & 3) {
        case 0:
            break;
        case 1:
            wParam = 1;
            break;
        case 2:
            wParam = input.Byte() % 2 == 0 ? vessmark::ScScreenSave : vessmark::ScNextWindow;
            break;
        default:
            wParam = static_cast<std::uintptr_t>(input.Word()) << 16 | input.Word();
            break;
        }
        if (message == vessmark::msg::MouseMove) {
            cursor = {input.Coordinate(cursor.X), input.Coordinate(cursor.Y)};
        }

        const vessmark::InputRules before = rules;
        int reads = 0;
        const auto readCursor = [&] {
            ++reads;
            return cursor;
        };
        const vessmark::InputAction action = onBlank ? rules.HandleOnBlankScreen(message, wParam, readCursor)
                                                     : rules.Handle(message, wParam, readCursor);

        const bool dialog = before.PasswordDialogActive != 0;
        const bool restingMoveOnBlank = onBlank && message == vessmark::msg::MouseMove && !dialog &&
                                        cursor.X == before.LastCursorPos.X && cursor.Y == before.LastCursorPos.Y;
        if (restingMoveOnBlank) {
            // The system's notice of a window under a cursor at rest: no input.
            Check(reads == 1 && !action.PostClose && !action.HideCursor &&
                  action.Reply == vessmark::InputReply::PassOn);
            Check(rules.FirstMoveSeen == before.FirstMoveSeen && rules.CloseArmed == before.CloseArmed);
            continue;
        }
        if (message != vessmark::msg::Close && !dialog) {
            if (IsPress(message) || (message == vessmark::msg::ActivateApp && wParam == 0) ||
                (message == vessmark::msg::MouseMove && moveTakenIn)) {
                armingInputSeen = true;
            }
            moveTakenIn = moveTakenIn || message == vessmark::msg::MouseMove;
        }

        // The show ends only through an armed close, armed by input.
        if (action.Reply == vessmark::InputReply::AskPassword) {
            Check(message == vessmark::msg::Close && armingInputSeen);
        }
        Check(rules.CloseArmed == (armingInputSeen ? 1 : 0));
        if (message == vessmark::msg::Close) {
            Check(action.Reply == (armingInputSeen ? vessmark::InputReply::AskPassword
                                                   : vessmark::InputReply::ReturnZero));
            Check(!action.PostClose && !action.HideCursor && reads == 0);
            continue;
        }
        if (dialog) {
            // Everything but the close stands aside while the dialog is up.
            Check(action.Reply == vessmark::InputReply::PassOn && !action.PostClose && !action.HideCursor);
            Check(reads == 0 && rules.LastCursorPos.X == before.LastCursorPos.X &&
                  rules.LastCursorPos.Y == before.LastCursorPos.Y && rules.FirstMoveSeen == before.FirstMoveSeen);
            continue;
        }
        Check(reads == (message == vessmark::msg::MouseMove ? 1 : 0));
        if (action.PostClose) {
            Check(IsPress(message) || message == vessmark::msg::ActivateApp || message == vessmark::msg::MouseMove);
        }
        if (message == vessmark::msg::MouseMove) {
            const long moved = Distance(before.LastCursorPos, cursor);
            Check(action.PostClose == (moved > vessmark::MouseMoveThreshold));
            const vessmark::CursorPoint expected = moved > vessmark::MouseMoveThreshold ? before.LastCursorPos : cursor;
            Check(rules.LastCursorPos.X == expected.X && rules.LastCursorPos.Y == expected.Y);
            Check(rules.FirstMoveSeen == 1);
        } else {
            Check(rules.LastCursorPos.X == before.LastCursorPos.X && rules.LastCursorPos.Y == before.LastCursorPos.Y);
        }
        if (IsPress(message)) {
            Check(action.PostClose);
        }
        if (message == vessmark::msg::SetCursor) {
            Check(action.HideCursor && action.Reply == vessmark::InputReply::ReturnTrue);
        } else {
            Check(action.Reply == vessmark::InputReply::PassOn);
        }
    }
    return 0;
}
