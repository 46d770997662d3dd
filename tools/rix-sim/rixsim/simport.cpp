// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/simport.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace rixsim {
namespace {

[[noreturn]] void throwErrno(const std::string &what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void closeQuietly(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

speed_t speedFor(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: throw std::invalid_argument("unsupported baud rate: " + std::to_string(baud));
    }
}

// The inverse of speedFor() over every rate Linux has a constant for.
int bitsPerSecond(speed_t speed)
{
    switch (speed) {
    case B50: return 50;
    case B75: return 75;
    case B110: return 110;
    case B134: return 134;
    case B150: return 150;
    case B200: return 200;
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B1800: return 1800;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B460800: return 460800;
    case B500000: return 500000;
    case B576000: return 576000;
    case B921600: return 921600;
    case B1000000: return 1000000;
    case B1152000: return 1152000;
    case B1500000: return 1500000;
    case B2000000: return 2000000;
    case B2500000: return 2500000;
    case B3000000: return 3000000;
    case B3500000: return 3500000;
    case B4000000: return 4000000;
    default: return 0;
    }
}

} // namespace

void makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        throwErrno("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        throwErrno("tcsetattr");
}

SimPort SimPort::openPseudoTerminal()
{
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0)
        throwErrno("posix_openpt");
    int slave = -1;
    try {
        if (::grantpt(master) != 0)
            throwErrno("grantpt");
        if (::unlockpt(master) != 0)
            throwErrno("unlockpt");
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0)
            throwErrno("ptsname_r");
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0)
            throwErrno(std::string("open ") + name);
        makeRaw(slave);
        return SimPort(master, slave, name, true, 0);
    } catch (...) {
        closeQuietly(slave);
        closeQuietly(master);
        throw;
    }
}

SimPort SimPort::openDevice(const std::string &path, int baud)
{
    const speed_t speed = speedFor(baud);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throwErrno("open " + path);
    try {
        makeRaw(fd);
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0)
            throwErrno("tcgetattr " + path);
        tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS8;
        if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
            throwErrno("cfsetspeed " + path);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0)
            throwErrno("tcsetattr " + path);
        ::tcflush(fd, TCIOFLUSH);
        return SimPort(fd, -1, path, false, baud);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
}

SimPort::SimPort(int lineFd, int keptSlaveFd, std::string path, bool pseudo, int baud)
    : lineFd_(lineFd)
    , keptSlaveFd_(keptSlaveFd)
    , path_(std::move(path))
    , pseudo_(pseudo)
    , baud_(baud)
{
}

int SimPort::lineRate() const
{
    if (!pseudo_)
        return baud_;
    // On Linux the master shares the slave's settings, so this is the rate
    // the terminal program chose.
    termios tio{};
    if (lineFd_ < 0 || ::tcgetattr(lineFd_, &tio) != 0)
        return 0;
    return bitsPerSecond(::cfgetospeed(&tio));
}

std::size_t SimPort::bytesNotTaken() const
{
    if (lineFd_ < 0)
        return 0;
    int count = 0;
    if (!pseudo_)
        return ::ioctl(lineFd_, TIOCOUTQ, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
    // What was just written may still be on its way to the slave's input
    // queue, where FIONREAD does not see it yet; polling the slave waits for
    // that hand-over. The poll takes nothing: the kept descriptor never reads.
    pollfd pfd{keptSlaveFd_, POLLIN, 0};
    ::poll(&pfd, 1, 0);
    return ::ioctl(keptSlaveFd_, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

SimPort::SimPort(SimPort &&other) noexcept
    : lineFd_(std::exchange(other.lineFd_, -1))
    , keptSlaveFd_(std::exchange(other.keptSlaveFd_, -1))
    , path_(std::move(other.path_))
    , pseudo_(other.pseudo_)
    , baud_(other.baud_)
{
}

SimPort &SimPort::operator=(SimPort &&other) noexcept
{
    if (this != &other) {
        close();
        lineFd_ = std::exchange(other.lineFd_, -1);
        keptSlaveFd_ = std::exchange(other.keptSlaveFd_, -1);
        path_ = std::move(other.path_);
        pseudo_ = other.pseudo_;
        baud_ = other.baud_;
    }
    return *this;
}

SimPort::~SimPort()
{
    close();
}

void SimPort::close()
{
    closeQuietly(lineFd_);
    closeQuietly(keptSlaveFd_);
}

} // namespace rixsim
