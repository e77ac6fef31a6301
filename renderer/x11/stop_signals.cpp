#include "stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace vessmark {

namespace {
// A signal handler gets no context of its own, so what it touches must be
// reachable without one: a flag, and the pipe's write end.
volatile std::sig_atomic_t SignalSeen = 0;
volatile std::sig_atomic_t WakeWriteEnd = -1;
bool Installed = false;
struct sigaction FormerTerm {};
struct sigaction FormerInt {};
struct sigaction FormerUsr1 {};

void OnStopSignal(int)
{
    const int savedErrno = errno;
    SignalSeen = 1;
    if (WakeWriteEnd >= 0) {
        const char byte = 1;
        // A full pipe already wakes the loop; the result does not matter.
        [[maybe_unused]] const auto written = write(WakeWriteEnd, &byte, 1);
    }
    errno = savedErrno;
}

bool MakeNonBlocking(int descriptor)
{
    const int flags = fcntl(descriptor, F_GETFL);
    return flags >= 0 && fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) == 0
           && fcntl(descriptor, F_SETFD, FD_CLOEXEC) == 0;
}
} // namespace

std::unique_ptr<StopSignals> StopSignals::Install(std::string& error)
{
    if (Installed) {
        error = "the stop signals are already caught";
        return nullptr;
    }
    std::unique_ptr<StopSignals> self(new StopSignals);
    int ends[2];
    if (pipe(ends) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return nullptr;
    }
    self->readEnd_ = ends[0];
    self->writeEnd_ = ends[1];
    if (!MakeNonBlocking(ends[0]) || !MakeNonBlocking(ends[1])) {
        error = std::string("cannot set up the pipe: ") + std::strerror(errno);
        return nullptr;
    }
    SignalSeen = 0;
    WakeWriteEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(SIGTERM, &action, &FormerTerm) != 0) {
        error = std::string("cannot catch SIGTERM: ") + std::strerror(errno);
        WakeWriteEnd = -1;
        return nullptr;
    }
    if (sigaction(SIGINT, &action, &FormerInt) != 0) {
        error = std::string("cannot catch SIGINT: ") + std::strerror(errno);
        sigaction(SIGTERM, &FormerTerm, nullptr);
        WakeWriteEnd = -1;
        return nullptr;
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (sigaction(SIGUSR1, &ignore, &FormerUsr1) != 0) {
        error = std::string("cannot ignore SIGUSR1: ") + std::strerror(errno);
        sigaction(SIGTERM, &FormerTerm, nullptr);
        sigaction(SIGINT, &FormerInt, nullptr);
        WakeWriteEnd = -1;
        return nullptr;
    }
    Installed = true;
    return self;
}

StopSignals::~StopSignals()
{
    if (Installed && WakeWriteEnd == writeEnd_) {
        sigaction(SIGTERM, &FormerTerm, nullptr);
        sigaction(SIGINT, &FormerInt, nullptr);
        sigaction(SIGUSR1, &FormerUsr1, nullptr);
        WakeWriteEnd = -1;
        Installed = false;
    }
    if (readEnd_ >= 0) {
        close(readEnd_);
    }
    if (writeEnd_ >= 0) {
        close(writeEnd_);
    }
}

bool StopSignals::Raised() const
{
    return SignalSeen != 0;
}

} // namespace vessmark
