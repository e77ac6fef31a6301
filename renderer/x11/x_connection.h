#pragma once
// The connection to the X display, with the server's error reports caught
// and kept instead of ending the program: a window another program owns may
// vanish at any moment, and drawing into it then is an error to note, not a
// reason to stop without releasing the OpenGL context.

#include <X11/Xlib.h>

#include <memory>
#include <string>

namespace vessmark {

class XConnection {
public:
    // Opens the display that $DISPLAY names; nothing, with the reason in
    // `error`, when it cannot be opened. One at a time per process (the
    // error handlers are the process's).
    static std::unique_ptr<XConnection> Open(std::string& error);

    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    ~XConnection();

    Display* Get() const { return display_; }

    // The display's name as the user would write it (":0").
    std::string Name() const;

    // Waits until the server has handled every request sent so far and
    // returns the text of the first error it reported since the last call,
    // or an empty text.
    std::string SyncAndTakeError();

private:
    XConnection() = default;

    Display* display_ = nullptr;
};

} // namespace vessmark
