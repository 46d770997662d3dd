// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminalside.h"

#include "rixsim/simport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace rixsim::testing {
namespace {

int millisLeft(TerminalSide::Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TerminalSide::Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

} // namespace

TerminalSide::TerminalSide(const std::string &path)
{
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "open " + path);
    makeRaw(fd_);
}

TerminalSide::~TerminalSide()
{
    ::close(fd_);
}

void TerminalSide::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::system_error(errno, std::generic_category(), "write to the simulator");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TerminalSide::setSpeed(speed_t speed)
{
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0
        || ::tcsetattr(fd_, TCSANOW, &tio) != 0)
        throw std::system_error(errno, std::generic_category(), "set the line's rate");
}

std::vector<TerminalSide::Chunk> TerminalSide::readChunks(std::size_t count, std::chrono::milliseconds timeout)
{
    std::vector<Chunk> chunks;
    std::size_t total = 0;
    const Clock::time_point deadline = Clock::now() + timeout;
    while (total < count) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, millisLeft(deadline)) <= 0 || (pfd.revents & POLLIN) == 0)
            break;
        char buffer[4096];
        const std::size_t want = std::min(sizeof buffer, count - total);
        const ssize_t n = ::read(fd_, buffer, want);
        if (n <= 0)
            break;
        chunks.push_back({Clock::now(), std::string(buffer, static_cast<std::size_t>(n))});
        total += static_cast<std::size_t>(n);
    }
    return chunks;
}

std::string TerminalSide::readExactly(std::size_t count, std::chrono::milliseconds timeout)
{
    std::string out;
    for (const auto &chunk : readChunks(count, timeout))
        out += chunk.bytes;
    return out;
}

std::string TerminalSide::readUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit)
{
    std::string out;
    const Clock::time_point deadline = Clock::now() + limit;
    for (;;) {
        const int wait = std::min(static_cast<int>(quiet.count()), millisLeft(deadline));
        pollfd pfd{fd_, POLLIN, 0};
        if (wait <= 0 || ::poll(&pfd, 1, wait) <= 0 || (pfd.revents & POLLIN) == 0)
            return out;
        char buffer[4096];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            return out;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace rixsim::testing
