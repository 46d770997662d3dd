// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the kernel says about this process: resident memory and CPU time used; a program run
// to its end.

#include <string>
#include <vector>

namespace bench {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
long statusKiB(const char *field);
// User plus system CPU time of the whole process so far, in milliseconds.
double processCpuMs();
// The monotonic clock in nanoseconds, the clock a parent hands its child as the start time.
long long monotonicNs();
// Runs `words` (the program first) with standard input and output on /dev/null; its exit
// code, or -1 when it could not run or did not exit.
int runQuietly(std::vector<std::string> words);

// A line of a program's standard output and when it came, in seconds from the start.
struct TimedLine {
    double seconds = 0;
    std::string text;
};
// Runs `words` as runQuietly does, but reads its standard output: each line with the moment
// it came, then an entry with no text for the moment it ended. `exitCode` is its exit code,
// or -1 when it could not run or did not exit.
std::vector<TimedLine> runTimingLines(std::vector<std::string> words, int &exitCode);

} // namespace bench
