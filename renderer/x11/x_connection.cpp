#include "x_connection.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "show_options.h"

namespace vessmark {

namespace {
// Xlib's error handlers get no context of their own; what they record must
// be reachable without one.
struct ErrorRecord {
    bool Seen = false;
    XErrorEvent First{};
};
ErrorRecord Errors;
bool ConnectionOpen = false;

int RecordError(Display*, XErrorEvent* event)
{
    if (!Errors.Seen) {
        Errors.Seen = true;
        Errors.First = *event;
    }
    return 0;
}

// The server has gone (or closed the connection): nothing can be released
// any more. One line and the failure status, instead of Xlib's report.
int ConnectionLost(Display*)
{
    static const char message[] = "vessmark-show: lost the connection to the X display\n";
    [[maybe_unused]] const auto written = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(ShowExitFailed);
}
} // namespace

std::unique_ptr<XConnection> XConnection::Open(std::string& error)
{
    if (ConnectionOpen) {
        error = "the X display is already open";
        return nullptr;
    }
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        error = name == nullptr || *name == '\0'
                    ? std::string("cannot open the X display: DISPLAY is not set")
                    : std::string("cannot open the X display '") + name + "'";
        return nullptr;
    }
    std::unique_ptr<XConnection> self(new XConnection);
    self->display_ = display;
    Errors = ErrorRecord{};
    XSetErrorHandler(RecordError);
    XSetIOErrorHandler(ConnectionLost);
    ConnectionOpen = true;
    return self;
}

XConnection::~XConnection()
{
    XSync(display_, False);
    XCloseDisplay(display_);
    XSetErrorHandler(nullptr);
    XSetIOErrorHandler(nullptr);
    ConnectionOpen = false;
}

std::string XConnection::Name() const
{
    return DisplayString(display_);
}

std::string XConnection::SyncAndTakeError()
{
    XSync(display_, False);
    if (!Errors.Seen) {
        return {};
    }
    char text[256] = {};
    XGetErrorText(display_, Errors.First.error_code, text, sizeof text);
    char detail[64];
    std::snprintf(detail, sizeof detail, " (request %d, resource 0x%lx)", Errors.First.request_code,
                  Errors.First.resourceid);
    Errors = ErrorRecord{};
    return std::string(text) + detail;
}

} // namespace vessmark
