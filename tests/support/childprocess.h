// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace rixsim::testing {

// A program run as a child with its stdout and stderr on pipes, as a test
// harness or the end-to-end tests start rix-sim.
class ChildProcess {
public:
    ChildProcess(const std::string &program, const std::vector<std::string> &arguments);
    ~ChildProcess(); // kills the child if it still runs
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The first line on stdout, without its newline; empty on timeout or EOF.
    std::string readStdoutLine(std::chrono::milliseconds timeout);
    // The same for stderr, while the child runs.
    std::string readStderrLine(std::chrono::milliseconds timeout);
    void signal(int number);
    // The exit code once the child has exited normally within the timeout;
    // empty on a timeout or a death by signal.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // The signal that ended the child, once waitForExit() has seen it end; 0 when it exited.
    int endSignal() const { return endSignal_; }
    // Closes the reading end of the child's stdout, as a pipeline's reader that has had
    // enough (`| head`) does.
    void closeStdout();
    // Everything the child wrote to stderr (reads to EOF: call after exit).
    std::string readAllStderr();
    std::string readAllStdout();

private:
    static std::string readLine(int fd, std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    bool reaped_ = false;
    int endSignal_ = 0;
};

} // namespace rixsim::testing
