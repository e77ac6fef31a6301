#pragma once
// When the user's input ends the show. The window procedure feeds every message
// through these rules and performs the answer; the rules themselves know nothing
// of windows, so they run the same under test as on the desktop.

#include <cstdint>
#include <functional>
#include <string>

namespace vessmark {

// Message and system-command numbers as Windows defines them.
namespace msg {
inline constexpr unsigned Close = 0x0010;
inline constexpr unsigned ShowWindow = 0x0018;
inline constexpr unsigned ActivateApp = 0x001C;
inline constexpr unsigned SetCursor = 0x0020;
inline constexpr unsigned KeyDown = 0x0100;
inline constexpr unsigned SysKeyDown = 0x0104;
inline constexpr unsigned SysCommand = 0x0112;
inline constexpr unsigned MouseMove = 0x0200;
inline constexpr unsigned LButtonDown = 0x0201;
inline constexpr unsigned RButtonDown = 0x0204;
inline constexpr unsigned MButtonDown = 0x0207;
} // namespace msg

inline constexpr std::uintptr_t ScNextWindow = 61504;
inline constexpr std::uintptr_t ScPrevWindow = 61520;
inline constexpr std::uintptr_t ScScreenSave = 61760;

// A cursor movement of at most this many pixels (Manhattan distance) from the
// reference position keeps the show running.
inline constexpr long MouseMoveThreshold = 4;

struct CursorPoint {
    long X = 0;
    long Y = 0;
};

enum class InputReply {
    PassOn,      // hand the message to the default window procedure
    ReturnZero,  // the message is consumed
    ReturnTrue,  // the message is consumed, answering TRUE
    AskPassword, // an armed close: the password check decides (see PasswordRefused)
};

struct InputAction {
    InputReply Reply = InputReply::PassOn;
    bool PostClose = false;  // post a close request to the window first
    bool HideCursor = false; // clear the cursor first
};

// The full-screen window swallows the system commands that would switch away
// from it or start another screen saver. The whole wParam is compared.
bool SwallowsSysCommand(std::uintptr_t wParam);

// One input the rules acted on, kept for the line that says why the show
// ended: "it stops the moment it starts" is the commonest complaint about a
// screen saver, and the answer is usually a mouse that reports tiny moves or
// a program that takes the foreground.
struct InputCause {
    unsigned Message = 0;     // 0: none yet
    std::uintptr_t Code = 0;  // the key's code, for key presses
    double Seconds = 0;       // when, in seconds after the window appeared
    long Distance = 0;        // mouse moves: from the reference position...
    CursorPoint From;         // ...which was here...
    CursorPoint To;           // ...to where the cursor was
    bool FirstMove = false;   // the first mouse move, which never arms
};

class InputRules {
public:
    int CloseArmed = 0;           // input seen: a close request is honoured
    int FirstMoveSeen = 0;        // the first mouse move has been taken in
    int PasswordDialogActive = 0; // the password dialog is up: input stands aside
    CursorPoint LastCursorPos;    // reference position for the mouse-move rule

    // Seconds since the window appeared; the host sets it before each message.
    double Now = 0;
    InputCause ArmedBy;      // the input that armed the close
    InputCause CloseAskedBy; // the input behind the latest close the rules asked for
    int ClosesAsked = 0;     // closes the rules asked for and not yet received
    bool LastCloseOwn = false; // the latest close request was one the rules asked for
    double LastCloseAt = 0;    // and came at this time

    // The window is being created with the cursor at this position.
    void Start(CursorPoint cursor) { LastCursorPos = cursor; }

    // The answer to one message. readCursor gives the cursor's screen position
    // now; it is read only for mouse moves.
    InputAction Handle(unsigned message, std::uintptr_t wParam,
                       const std::function<CursorPoint()>& readCursor);

    // The same rules for the black windows on the other monitors, sharing the
    // first move, the reference position and the armed flag with the show's
    // window, with one difference: a mouse move that has not moved the cursor
    // off the reference position is no input there. The system sends one to
    // every window that appears, or comes up from below, under a cursor at
    // rest; with several windows these would count as a second move and arm
    // the close before the user has done anything.
    InputAction HandleOnBlankScreen(unsigned message, std::uintptr_t wParam,
                                    const std::function<CursorPoint()>& readCursor);

    // The password was refused or the dialog cancelled: the show goes on, still
    // armed, and the mouse position after the dialog is the new reference.
    void PasswordRefused(CursorPoint cursor) { LastCursorPos = cursor; }

private:
    InputAction AskClose(InputAction action, const InputCause& cause);
    void Arm(const InputCause& cause);
};

// The one line, in plain words, that a host writes when a close request has
// been judged: why the show ends (an honoured request), or that the request
// was ignored and why. `elsewhere` says, as far as the host can tell, what
// took the activation, for when that is the cause. No line break, no prefix.
std::string CloseReport(const InputRules& rules, bool honoured, const std::string& elsewhere = {});

} // namespace vessmark
