// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param reading all seven parameters at 19200 against a simulated unit that answers at
// once, as a real one does: the whole run of the program, from its start to its exit.
// Each read costs its 165 ms pause (the answer is in long before), after 100 ms of listening
// once the port is open, so about 1.3 s is the floor.

#include "support/figures.h"
#include "support/process.h"
#include "support/stats.h"

#include "rixsim/backgroundsimulator.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>


namespace {

// Runs rix-param read on `port`; its exit code, or -1 when it could not run.
int readAll(const std::string &port)
{
    std::vector<std::string> words = {RIXPARAM_PROGRAM, "read", "--quiet", "--port", port};
    return bench::runQuietly(std::move(words));
}

} // namespace

int main()
{
    rixsim::BackgroundSimulator sim;
    std::vector<double> seconds;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int code = readAll(sim.path());
        const auto end = std::chrono::steady_clock::now();
        if (code != 0) {
            std::fprintf(stderr, "bench_param: rix-param read ended with %d\n", code);
            return 1;
        }
        seconds.push_back(std::chrono::duration<double>(end - start).count());
    }
    const double worst = bench::maximum(seconds);
    bench::printFigure("rix-param read, all seven at 19200, slowest of 5", bench::fixed(worst, 2, "s"), "<= 2 s",
                       bench::within(worst, 2.0));
    bench::printFigure("rix-param read, all seven at 19200, median of 5", bench::fixed(bench::median(seconds), 2, "s"),
                       "-", bench::Verdict::None);
    return 0;
}
