// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signals that ask rix-param to stop: Ctrl-C (SIGINT), a kill (SIGTERM), a closed
// session (SIGHUP) and a closed standard output (SIGPIPE).
//
// While a write is under way none of them may end the program between a parameter's write
// and its read-back, nor without saying what reached the unit: they are held, the write
// finishes the parameter on the line and stops, and the program then ends as the signal
// says. Outside a write the three user signals keep their default action (nothing is
// half-done then), and SIGPIPE is held all along, so that a closed standard output shows
// as a failed write with its reason instead of a silent death.

class StopRequest {
public:
    virtual ~StopRequest() = default;
    // From now on SIGINT, SIGTERM and SIGHUP are held too; a second one of them ends the
    // program at once.
    virtual void holdSignals() = 0;
    // The signal that asked to stop, 0 when none did. A standard output whose reader has
    // gone counts as SIGPIPE, even before anything was written to it.
    virtual int pending() const = 0;
};

// The process's real signals. One object per process: a signal handler can reach no object,
// so the signal caught lives in the one process-wide flag the handler sets (stopsignals.cpp).
class StopSignals : public StopRequest {
public:
    StopSignals();   // holds SIGPIPE
    void holdSignals() override;
    int pending() const override;

    // Ends the process as `signal` says: its default action, raised again.
    [[noreturn]] static void endBy(int signal);
    // "SIGINT (Strg+C)", "SIGTERM", … for the report.
    static const char *describe(int signal);
};
