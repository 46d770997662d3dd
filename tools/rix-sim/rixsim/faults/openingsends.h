// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rixsim/line/clock.h"
#include "rixsim/line/sendqueue.h"
#include "rixsim/openwatch.h"
#include "rixsim/simport.h"

#include <optional>
#include <string>

namespace rixsim {

// --send and --send-on-open: texts sent unasked once. The first goes
// out when the run starts; the second as soon as a terminal program has
// opened the pseudo-terminal, before it can have sent anything (a stale answer
// or a line waiting in its input when it starts asking). Only the first open
// counts. On a device, whose far end is always there, both go at the start.
class OpeningSends {
public:
    // Made with the port, before anyone can know its path, so that no open is
    // missed. Throws std::system_error when the system refuses the watch.
    OpeningSends(std::string atStart, std::string onOpen, const SimPort &port);

    // Queues what goes out at the start of the run.
    void queueAtStart(SendQueue &queue, Clock::time_point start) const;

    // The descriptor that becomes readable on an open, for poll(); -1 once
    // there is nothing more to watch.
    int watchFd() const { return watch_ ? watch_->fd() : -1; }
    // After the watch descriptor was readable: true and the text queued when
    // that was the first open.
    bool queueOnOpen(SendQueue &queue);

private:
    std::string atStart_;
    std::string onOpen_;
    std::optional<OpenWatch> watch_;
};

} // namespace rixsim
