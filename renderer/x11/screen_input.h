#pragma once
// The input rules of the full-screen show on X. Every X event that the
// Windows host would see as a message is handed to the core's input rules
// as that message, and the rules' answer is performed here: the rules
// themselves are the very ones the Windows renderer runs.

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "input_rules.h"

namespace vessmark {

// One message for the input rules, made from an X event.
struct RuleMessage {
    unsigned Message = 0;
    std::uintptr_t WParam = 0;
    CursorPoint Cursor; // mouse moves: where the pointer is on the screen
};

class ScreenInput {
public:
    // The atoms of a close request from another client (a window manager's
    // WM_DELETE_WINDOW), which the rules honour only once armed.
    ScreenInput(Atom protocols, Atom deleteWindow) : protocols_(protocols), deleteWindow_(deleteWindow) {}

    // The window is being created with the pointer at this screen position:
    // the reference for the mouse-move rule.
    void Start(CursorPoint pointer)
    {
        rules_.Start(pointer);
        shownAt_ = std::chrono::steady_clock::now();
    }

    // Where the line goes that says why the show ends, or that a close
    // request was ignored (standard error, by the Linux convention).
    void ReportTo(std::ostream& report) { report_ = &report; }

    // Feeds one event through the rules. True when the show must end now.
    bool EndsShow(const XEvent& event);

    // The message the rules see for an event, or nothing for events the
    // Windows host has no message for or that do nothing there (releases,
    // wheel and side buttons, focus changes that take nothing away).
    std::optional<RuleMessage> Translate(const XEvent& event);

    const InputRules& Rules() const { return rules_; }

private:
    bool Perform(const RuleMessage& message);

    InputRules rules_;
    Atom protocols_;
    Atom deleteWindow_;
    bool focused_ = false; // the window holds the keyboard focus, so it can lose it
    std::chrono::steady_clock::time_point shownAt_ = std::chrono::steady_clock::now();
    std::ostream* report_ = nullptr;
    std::string focusWentTo_; // the window that took the keyboard focus, when that ends the show
};

} // namespace vessmark
