// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/pty.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

namespace {

[[noreturn]] void fail(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// Waits for `events` on fd until the deadline; true when they came.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int ms = int(qMax<qint64>(0, deadline.remainingTime()));
        const int n = ::poll(&p, 1, ms);
        if (n > 0)
            return (p.revents & events) != 0;
        if (n == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

} // namespace

Pty::Pty()
{
    char name[4096] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        fail("openpty");
    slavePath_ = QString::fromLocal8Bit(name);
    // Raw, as a serial line in 8N1 without any processing; the rate stays the system's.
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0)
        fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0)
        fail("tcsetattr");
    for (const int fd : {master_, slave_})
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty()
{
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

bool Pty::write(const QByteArray &bytes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (!waitFor(master_, POLLOUT, deadline))
            return false;
    }
    return done == bytes.size();
}

QByteArray Pty::read(int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray got;
    while (master_ >= 0 && got.size() < count) {
        char buffer[4096];
        const size_t want = size_t(qMin<qsizetype>(qsizetype(sizeof buffer), count - got.size()));
        const ssize_t n = ::read(master_, buffer, want);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        if (!waitFor(master_, POLLIN, deadline))
            break;
    }
    return got;
}

QByteArray Pty::readFor(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    QByteArray got;
    while (master_ >= 0 && waitFor(master_, POLLIN, deadline)) {
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return got;
}

void Pty::closeMaster()
{
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

} // namespace testsupport
