// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Failures carry a number: the operating system's error number where there is one,
// otherwise one of the program's own numbers below (listed in the README).

#include <stdexcept>
#include <string>

namespace ErrorNumber {
constexpr int Unknown = 1000;        // a failure without a number of its own
constexpr int WriteTimeout = 1001;   // the port did not take the bytes within the write time-out
constexpr int PortLost = 1002;       // the port reported a read, resource or write error without an OS number, or a hang-up
constexpr int NotOpen = 1003;        // a read or write on a channel that is not open
constexpr int OutOfMemory = 1004;    // memory ran out
}

class RixError : public std::runtime_error {
public:
    RixError(int number, const std::string &what) : std::runtime_error(what), number_(number) {}
    int number() const { return number_; }

private:
    int number_;
};

// A serial operation failed; `number` is errno where the system gave one.
class SerialError : public RixError {
public:
    using RixError::RixError;
};

// The port was lost while connected: a read, resource or write error, or the other end hung
// up (an unplugged adapter). The program stays, disconnected, with everything it has shown.
class PortLostError : public SerialError {
public:
    using SerialError::SerialError;
};

// The port could not be opened. `what()` is the system's reason, for the details of the
// box and the log; the box's own text does not change with it.
class PortOpenError : public RixError {
public:
    using RixError::RixError;
};
