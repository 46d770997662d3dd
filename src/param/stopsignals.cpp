// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/stopsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> stopSignals = {SIGINT, SIGTERM, SIGHUP};

// Written only by the handlers (and before they are installed), read between steps. A
// handler may touch nothing else (no allocation, no lock).
volatile std::sig_atomic_t caughtSignal = 0;      // the first of all, SIGPIPE included
volatile std::sig_atomic_t userSignals = 0;       // how many of SIGINT, SIGTERM, SIGHUP came while held
volatile std::sig_atomic_t firstUserSignal = 0;
volatile std::sig_atomic_t secondUserSignal = 0;
volatile std::sig_atomic_t wakeFd = -1;           // the pipe's end that wakes the event loop
// The temporary file a user signal removes before it ends the program.
char removePath[PATH_MAX];
volatile std::sig_atomic_t removeArmed = 0;

extern "C" void holdSignal(int signal)
{
    const int savedErrno = errno;
    if (signal != SIGPIPE) {
        // The user insists and the event loop has not answered yet (or cannot): end now.
        if (userSignals >= 2 || (userSignals == 1 && wakeFd < 0)) {
            std::signal(signal, SIG_DFL);
            std::raise(signal);
            errno = savedErrno;
            return;
        }
        if (userSignals == 0)
            firstUserSignal = signal;
        else
            secondUserSignal = signal;
        userSignals = userSignals + 1;
        if (wakeFd >= 0) {
            const char byte = 1;
            // A full pipe already holds a wake-up; nothing is lost.
            const ssize_t written = ::write(wakeFd, &byte, 1);
            static_cast<void>(written);
        }
    }
    if (caughtSignal == 0)
        caughtSignal = signal;
    errno = savedErrno;
}

extern "C" void removeThenEnd(int signal)
{
    if (removeArmed != 0)
        ::unlink(removePath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
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

sigset_t userSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : stopSignals)
        sigaddset(&set, signal);
    return set;
}

// A pipe on standard output whose reader has gone (`| head` that has ended) reports an
// error to poll() before anything is written to it.
bool standardOutputClosed()
{
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&out, 1, 0) > 0 && (out.revents & POLLERR) != 0;
}

} // namespace

struct StopSignals::Wake {
    int readFd = -1;
    int writeFd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    std::array<struct sigaction, stopSignals.size()> beforeGuard{};
};

StopSignals::StopSignals()
    : wake_(std::make_unique<Wake>())
{
    hold(SIGPIPE);
}

StopSignals::~StopSignals()
{
    wakeFd = -1;
    wake_->notifier.reset();
    for (const int fd : {wake_->readFd, wake_->writeFd})
        if (fd >= 0)
            ::close(fd);
}

void StopSignals::holdSignals()
{
    // The pipe needs the event loop to be heard; without one a second signal ends at once.
    int fds[2];
    if (wake_->readFd < 0 && QCoreApplication::instance() && ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        wake_->readFd = fds[0];
        wake_->writeFd = fds[1];
        wake_->notifier = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
        QObject::connect(wake_->notifier.get(), &QSocketNotifier::activated, [this] { woken(); });
        wakeFd = fds[1];
    }
    for (const int signal : stopSignals)
        hold(signal);
}

void StopSignals::woken()
{
    char drained[64];
    while (::read(wake_->readFd, drained, sizeof drained) > 0) {
    }
    // A copy: an announcement may end the write that made it, which takes its own back.
    const Announce tell = announce_;
    if (const int again = secondUserSignal) {
        if (tell)
            tell(again, true);
        endBy(again);
    }
    if (const int first = firstUserSignal; first != 0 && !announced_) {
        announced_ = true;
        if (tell)
            tell(first, false);
    }
}

int StopSignals::pending() const
{
    if (caughtSignal != 0)
        return caughtSignal;
    return standardOutputClosed() ? SIGPIPE : 0;
}

void StopSignals::announceWith(Announce announce)
{
    announce_ = std::move(announce);
}

void StopSignals::guardTemporaryFile(const std::function<QByteArray()> &make)
{
    const sigset_t three = userSignalSet();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &three, &before);
    const QByteArray name = make();
    if (!name.isEmpty() && std::size_t(name.size()) < sizeof removePath && removeArmed == 0) {
        std::memcpy(removePath, name.constData(), std::size_t(name.size()));
        removePath[name.size()] = '\0';
        removeArmed = 1;
        struct sigaction action {};
        action.sa_handler = removeThenEnd;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < stopSignals.size(); ++i)
            sigaction(stopSignals[i], &action, &wake_->beforeGuard[i]);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
}

void StopSignals::releaseTemporaryFile()
{
    if (removeArmed == 0)
        return;
    const sigset_t three = userSignalSet();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &three, &before);
    for (std::size_t i = 0; i < stopSignals.size(); ++i)
        sigaction(stopSignals[i], &wake_->beforeGuard[i], nullptr);
    removeArmed = 0;
    sigprocmask(SIG_SETMASK, &before, nullptr);
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
