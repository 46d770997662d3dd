// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/faults/openingsends.h"

namespace rixsim {

OpeningSends::OpeningSends(std::string atStart, std::string onOpen, const SimPort &port)
    : atStart_(std::move(atStart))
    , onOpen_(std::move(onOpen))
{
    if (!onOpen_.empty() && port.isPseudoTerminal() && port.isOpen())
        watch_.emplace(port.path());
}

void OpeningSends::queueAtStart(SendQueue &queue, Clock::time_point start) const
{
    if (!atStart_.empty())
        queue.push({atStart_, start});
    if (!onOpen_.empty() && !watch_)
        queue.push({onOpen_, start});
}

bool OpeningSends::queueOnOpen(SendQueue &queue)
{
    if (!watch_ || !watch_->takeOpened())
        return false;
    watch_.reset();
    queue.push({onOpen_, Clock::now()});
    return true;
}

} // namespace rixsim
