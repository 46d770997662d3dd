// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/stopsignals.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

#include <poll.h>
#include <unistd.h>

namespace {

// The signal caught first and whether one of SIGINT, SIGTERM, SIGHUP came: written only by
// the handler, read between steps. A handler may touch nothing else (no allocation, no lock).
volatile std::sig_atomic_t caughtSignal = 0;
volatile std::sig_atomic_t userSignalCaught = 0;

extern "C" void holdSignal(int signal)
{
    if (signal != SIGPIPE) {
        // A second Ctrl-C is the user insisting: end now, as the signal says.
        if (userSignalCaught != 0) {
            std::signal(signal, SIG_DFL);
            std::raise(signal);
            return;
        }
        userSignalCaught = 1;
    }
    if (caughtSignal == 0)
        caughtSignal = signal;
}

void hold(int signal)
{
    struct sigaction action {};
    action.sa_handler = holdSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a write to the port or the terminal that the signal meets goes on.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

// A pipe on standard output whose reader has gone (`| head` that has ended) reports an
// error to poll() before anything is written to it.
bool standardOutputClosed()
{
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&out, 1, 0) > 0 && (out.revents & POLLERR) != 0;
}

} // namespace

StopSignals::StopSignals()
{
    hold(SIGPIPE);
}

void StopSignals::holdSignals()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        hold(signal);
}

int StopSignals::pending() const
{
    if (caughtSignal != 0)
        return caughtSignal;
    return standardOutputClosed() ? SIGPIPE : 0;
}

void StopSignals::endBy(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    // A signal whose default is to go on (none of ours) would come back here.
    std::_Exit(128 + signal);
}

const char *StopSignals::describe(int signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT (Strg+C)";
    case SIGTERM: return "SIGTERM (Beenden)";
    case SIGHUP: return "SIGHUP (Sitzung getrennt)";
    case SIGPIPE: return "SIGPIPE (Standardausgabe geschlossen)";
    default: return "ein Signal";
    }
}
