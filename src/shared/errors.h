#pragma once
// Failures carry a number: the operating system's error number where there is one,
// otherwise one of the program's own numbers below (listed in the README).

#include <stdexcept>
#include <string>

namespace ErrorNumber {
constexpr int Unknown = 1000;        // a failure without a number of its own
constexpr int WriteTimeout = 1001;   // the port did not take the bytes within the write time-out
constexpr int PortLost = 1002;       // the port reported a read, resource or write error without an OS number
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

// Thrown after the program has shown its own final message and asked to end: unwinds
// the running handler without a second report.
class ProgramEnding : public std::exception {
public:
    const char *what() const noexcept override { return "program ending"; }
};
