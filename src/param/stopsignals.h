// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signals that ask rix-param to stop: Ctrl-C (SIGINT), a kill (SIGTERM), a closed
// session (SIGHUP) and a closed standard output (SIGPIPE).
//
// While a write is under way none of them may end the program between a parameter's write
// and its read-back, nor without saying what reached the unit: they are held, the write
// finishes the parameter on the line and stops, and the program then ends as the signal
// says. The first one is answered at once, so that the user does not wait in silence; a
// second one gets the report as it stands and ends the program. Outside a write the three
// user signals keep their default action (nothing is half-done then), except that a save's
// temporary file is removed first, and SIGPIPE is held all along, so that a closed standard
// output shows as a failed write with its reason instead of a silent death.

#include <QByteArray>

#include <functional>
#include <memory>

class StopRequest {
public:
    virtual ~StopRequest() = default;
    // From now on SIGINT, SIGTERM and SIGHUP are held too.
    virtual void holdSignals() = 0;
    // The signal that asked to stop, 0 when none did. A standard output whose reader has
    // gone counts as SIGPIPE, even before anything was written to it.
    virtual int pending() const = 0;

    // What a held SIGINT, SIGTERM or SIGHUP has the program say the moment it comes (from the
    // event loop, while the write waits for the unit): `again` is false for the first one,
    // after which the write goes on to the end of the parameter on the line, and true for a
    // second one, after which the program ends by that signal as soon as the announcement
    // returns: what it prints (every unit's report, the JSON) is the last the program says.
    // An empty function says nothing.
    using Announce = std::function<void(int signal, bool again)>;
    virtual void announceWith(Announce announce) { static_cast<void>(announce); }

    // A save's temporary file, which SIGINT, SIGTERM and SIGHUP remove before they end the
    // program, so that a save cut short leaves nothing beside its target. `make` creates the
    // file and returns its name (empty when it made none); the signals wait while it runs,
    // so that none falls between the file's creation and its guard.
    virtual void guardTemporaryFile(const std::function<QByteArray()> &make) { make(); }
    // The file has its target's name now, or is gone: a signal ends the program as before.
    virtual void releaseTemporaryFile() {}
};

// The process's real signals. One object per process: a signal handler can reach no object,
// so what it caught lives in process-wide flags (stopsignals.cpp). It tells the event loop
// through a pipe, so that the announcement is made outside the handler.
class StopSignals : public StopRequest {
public:
    StopSignals();   // holds SIGPIPE
    ~StopSignals() override;
    void holdSignals() override;
    int pending() const override;
    void announceWith(Announce announce) override;
    void guardTemporaryFile(const std::function<QByteArray()> &make) override;
    void releaseTemporaryFile() override;

    // Ends the process as `signal` says: its default action, raised again.
    [[noreturn]] static void endBy(int signal);
    // "SIGINT (Strg+C)", "SIGTERM", … for the report.
    static const char *describe(int signal);

private:
    void woken();

    struct Wake;
    std::unique_ptr<Wake> wake_;
    Announce announce_;
    bool announced_ = false;
};
