#pragma once
// SIGTERM and SIGINT, the way XScreenSaver (and a person at a terminal) ends
// a hack, turned into a flag that the show's loop looks at between frames
// and a descriptor that wakes it when it is waiting for events. SIGUSR1,
// which xsecurelock sends to reset its saver when the password prompt closes,
// is ignored: the swarm simply flies on, and by default it would kill us.

#include <memory>
#include <string>

namespace vessmark {

class StopSignals {
public:
    // Catches the signals until destroyed; nothing, with the reason in
    // `error`, when that cannot be done. One at a time per process.
    static std::unique_ptr<StopSignals> Install(std::string& error);

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals(); // gives the signals their former handlers back

    // A signal has come.
    bool Raised() const;

    // Readable once a signal has come: poll it beside the X connection.
    int WakeDescriptor() const { return readEnd_; }

private:
    StopSignals() = default;

    int readEnd_ = -1;
    int writeEnd_ = -1;
};

} // namespace vessmark
