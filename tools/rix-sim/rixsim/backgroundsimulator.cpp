// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/backgroundsimulator.h"

namespace rixsim {

BackgroundSimulator::BackgroundSimulator(TransportOptions options, Unit unit)
    : transport_(SimPort::openPseudoTerminal(), std::move(unit), std::move(options))
{
    std::packaged_task<RunEnd()> task([this] { return transport_.run(); });
    end_ = task.get_future().share();
    thread_ = std::thread(std::move(task));
}

BackgroundSimulator::~BackgroundSimulator()
{
    stop();
}

void BackgroundSimulator::stop()
{
    transport_.stop();
    if (thread_.joinable())
        thread_.join();
}

std::optional<RunEnd> BackgroundSimulator::waitForEnd(std::chrono::milliseconds timeout)
{
    if (end_.wait_for(timeout) != std::future_status::ready)
        return std::nullopt;
    return end_.get();
}

} // namespace rixsim
