// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/line/commandframer.h"

namespace rixsim {

void CommandFramer::add(const char *bytes, std::size_t count, Clock::time_point at)
{
    input_.append(bytes, count);
    lastByte_ = at;
}

std::optional<Clock::time_point> CommandFramer::deadline() const
{
    if (input_.empty())
        return std::nullopt;
    return lastByte_ + quietGap_;
}

std::string CommandFramer::takeCommand()
{
    std::string command;
    command.swap(input_);
    return command;
}

} // namespace rixsim
