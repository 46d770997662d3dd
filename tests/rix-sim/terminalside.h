// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <termios.h>
#include <vector>

namespace rixsim::testing {

// The side a terminal program holds: the slave of the simulator's
// pseudo-terminal, opened and set raw the way the terminal program does it.
class TerminalSide {
public:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        Clock::time_point time; // when read() returned these bytes
        std::string bytes;
    };

    explicit TerminalSide(const std::string &path);
    ~TerminalSide();
    TerminalSide(const TerminalSide &) = delete;
    TerminalSide &operator=(const TerminalSide &) = delete;

    int fd() const { return fd_; }
    void write(std::string_view bytes);
    // Sets the line's rate (a B constant such as B4800), as a terminal
    // program does when it connects.
    void setSpeed(speed_t speed);

    // Reads until `count` bytes have arrived or the timeout passes; returns
    // what arrived (fewer bytes on a timeout).
    std::string readExactly(std::size_t count, std::chrono::milliseconds timeout);
    // The same, keeping each read's time stamp.
    std::vector<Chunk> readChunks(std::size_t count, std::chrono::milliseconds timeout);
    // Everything that arrives until nothing has come for `quiet`, or until
    // `limit` has passed in all.
    std::string readUntilQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit);

private:
    int fd_ = -1;
};

} // namespace rixsim::testing
