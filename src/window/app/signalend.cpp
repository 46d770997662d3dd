// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/signalend.h"

#include "unit/logging.h"
#include "unit/conversation/conversation.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "window/recording/recordinghandlers.h"
#include "window/seams.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <iostream>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The one thing a signal handler can reach: the socket it writes into. Set once before the
// handlers are installed and cleared after they are gone.
int signalSocket = -1;

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: a full socket (hundreds of signals unread) drops this one, never hangs.
    [[maybe_unused]] const ssize_t written = ::write(signalSocket, &byte, 1);
    errno = savedErrno;
}
} // namespace

SignalEnd::SignalEnd(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sockets_) != 0) {
        qCWarning(lcApp) << "signals end the program without its clean-up: no socket pair, errno" << errno;
        return;
    }
    signalSocket = sockets_[0];
    notifier_ = new QSocketNotifier(sockets_[1], QSocketNotifier::Read, &owner_);
    QObject::connect(notifier_, &QSocketNotifier::activated, &owner_, [this] { readSignals(); });
    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: while the program cleans up, the same signal again ends it at once.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int number : endingSignals)
        ::sigaction(number, &action, nullptr);
}

SignalEnd::~SignalEnd()
{
    for (const int number : endingSignals)
        std::signal(number, SIG_DFL);
    signalSocket = -1;
    delete notifier_;
    for (int &socket : sockets_)
        if (socket >= 0)
            ::close(socket);
}

void SignalEnd::readSignals()
{
    unsigned char numbers[16];
    ssize_t count;
    while ((count = ::read(sockets_[1], numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (received_ != 0)
                continue;
            received_ = numbers[i];
            qCInfo(lcApp) << "ending on signal" << received_;
            onSignal_(received_);
        }
    }
}

void SignalEnd::endProcess()
{
    if (received_ == 0)
        return;
    std::signal(received_, SIG_DFL);
    std::raise(received_);
}

void endBySignal(Program &p, int signalNumber)
{
    // Outside the dispatch, which lets nothing run once the program is ending: a signal must
    // end it also while its last box is open. Nothing here may keep the end from coming.
    try {
        p.state.ending = true;
        p.receiver.portClosing();
        p.conversation.closeAll();
    } catch (const std::exception &e) {
        qCWarning(lcSerial).noquote() << "closing the port on a signal:" << e.what();
    }
    try {
        if (const QString unfinished = recordEndedBySignal(p, signalNumber); !unfinished.isEmpty())
            std::cerr << unfinished.toLocal8Bit().constData() << '\n';
    } catch (const std::exception &e) {
        qCWarning(lcApp).noquote() << "ending the recording on a signal:" << e.what();
    }
    p.end.end(128 + signalNumber);
}
