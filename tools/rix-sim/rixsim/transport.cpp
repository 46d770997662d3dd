// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/transport.h"

#include "rixsim/transportloop.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace rixsim {

Transport::Transport(SimPort port, Unit unit, TransportOptions options)
    : port_(std::move(port))
    , path_(port_.path())
    , unit_(std::move(unit))
    , options_(std::move(options))
    , openingSends_(options_.sendAtStart, options_.sendOnOpen, port_)
{
    if (options_.replay && port_.isPseudoTerminal() && port_.isOpen())
        replayOpens_.emplace(port_.path());
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

Transport::~Transport()
{
    ::close(wakeFd_);
}

RunEnd Transport::run()
{
    if (!port_.isOpen()) {
        lineError_.store(EBADF);
        return RunEnd::LineLost;
    }
    Loop loop(*this, Clock::now());
    return loop.run();
}

void Transport::stop() noexcept
{
    stopRequested_.store(true);
    wake();
}

void Transport::sendUnasked(std::string bytes, std::chrono::microseconds perByte)
{
    if (bytes.empty())
        return;
    inbox_.put(std::move(bytes), perByte);
    wake();
}

void Transport::wake() noexcept
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

Unit Transport::unit() const
{
    std::lock_guard lock(unitMutex_);
    return unit_;
}

void Transport::record(TrafficEvent::Kind kind, std::string bytes, std::optional<Clock::time_point> at)
{
    TrafficEvent event{kind, at.value_or(Clock::now()), std::move(bytes)};
    if (options_.onEvent) {
        log_.append(event);
        options_.onEvent(event);
    } else {
        log_.append(std::move(event));
    }
}

} // namespace rixsim
