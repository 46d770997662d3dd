// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT (Ctrl-C), SIGTERM and SIGHUP end rix-term as closing the window does: nothing more
// goes to the unit, the port is closed, a running recording gets its end marker naming the
// signal, and the process then ends by the same signal, so whoever started it sees how it
// ended. The signal handler only writes the signal's number into a socket pair; the event
// loop reads it there (a socket notifier) and does the rest, as nothing but a write is safe
// inside a signal handler.

#include <QObject>

#include <functional>

class QSocketNotifier;
struct Program;

class SignalEnd {
public:
    // Catches the three signals from now on; `onSignal` runs in the event loop with the
    // signal's number. A second one of the same signal ends the process at once.
    explicit SignalEnd(std::function<void(int)> onSignal);
    // The three signals take their default action again.
    ~SignalEnd();
    SignalEnd(const SignalEnd &) = delete;
    SignalEnd &operator=(const SignalEnd &) = delete;

    // The first signal that arrived; 0 when none did.
    int received() const { return received_; }
    // Ends the process by received() with its default action (call after the clean-up);
    // returns only if that signal does not end it.
    void endProcess();

private:
    void readSignals();

    int sockets_[2] = {-1, -1};
    QSocketNotifier *notifier_ = nullptr;
    QObject owner_;
    std::function<void(int)> onSignal_;
    int received_ = 0;
};

// What a signal does to the program: polling stopped and every handler barred, the port
// closed without another byte written, the recording ended with the signal named, and the
// main loop asked to end. Runs also when the program is already ending (a last box open).
void endBySignal(Program &p, int signalNumber);
