// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param on many units at once, as a workshop with a hub of adapters runs it: find on
// eight simulated ports (some at 19200, some at 4800 with the echo, some silent, so both
// rates are waited through), and one set written to eight units against the same set
// written to one. The whole run of the program, from its start to its exit.

#include "support/figures.h"
#include "support/process.h"
#include "support/stats.h"

#include "rixsim/backgroundsimulator.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>


namespace {

constexpr int runs = 5;

// Runs rix-param with `words`; its exit code, or -1 when it could not run.
int runParam(std::vector<std::string> words)
{
    words.insert(words.begin(), RIXPARAM_PROGRAM);
    return bench::runQuietly(std::move(words));
}

// Seconds `words` take; negative when rix-param ended with another code than `expected`.
double timed(const std::vector<std::string> &words, int expected)
{
    const auto start = std::chrono::steady_clock::now();
    const int code = runParam(words);
    const auto end = std::chrono::steady_clock::now();
    if (code != expected) {
        std::fprintf(stderr, "bench_units: rix-param %s ended with %d\n", words.front().c_str(), code);
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

std::vector<std::string> withPorts(std::vector<std::string> words,
                                   const std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> &units,
                                   std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        words.push_back("--port");
        words.push_back(units[i]->path());
    }
    return words;
}

std::string setFile(const std::string &name, const std::string &text)
{
    const std::string path = "/tmp/bench_units-" + std::to_string(::getpid()) + "-" + name;
    std::ofstream(path) << text;
    return path;
}

} // namespace

int main()
{
    // Find: three at 19200, three at 4800 (the echo), two that answer neither.
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> bench;
    for (int i = 0; i < 8; ++i) {
        rixsim::TransportOptions options;
        rixsim::Unit unit(i >= 3 && i < 6);
        if (i >= 3)
            options.unitRate = i < 6 ? 4800 : 9600;
        unit.setAddressDigit(char('0' + i));
        bench.push_back(std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit)));
    }
    std::vector<double> finds;
    for (int run = 0; run < runs; ++run) {
        const double seconds = timed(withPorts({"find"}, bench, bench.size()), 0);
        if (seconds < 0)
            return 1;
        finds.push_back(seconds);
    }
    const double slowestFind = bench::maximum(finds);
    bench::printFigure("rix-param find, eight ports, both rates, slowest of 5", bench::fixed(slowestFind, 2, "s"),
                       "<= 1.5 s", bench::within(slowestFind, 1.5));

    // Write: five values to one unit, then to eight; the sets take turns, so every run
    // writes all five.
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> single;
    single.push_back(std::make_unique<rixsim::BackgroundSimulator>());
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> units;
    for (int i = 0; i < 8; ++i)
        units.push_back(std::make_unique<rixsim::BackgroundSimulator>());
    const std::string sets[] = {setFile("a.txt", "F1=0A10\nF2=1313\nF3=0E3C\nF4=0E10\nF5=64D0\n"),
                                setFile("b.txt", "F1=0A00\nF2=1212\nF3=0E28\nF4=0E0E\nF5=64C8\n")};
    std::vector<double> one;
    std::vector<double> eight;
    for (int run = 0; run < 2 * runs; ++run) {
        const std::string &set = sets[run % 2];
        const double alone = timed(withPorts({"write", set, "--yes", "--quiet"}, single, 1), 0);
        const double all = timed(withPorts({"write", set, "--yes", "--quiet"}, units, units.size()), 0);
        if (alone < 0 || all < 0)
            return 1;
        one.push_back(alone);
        eight.push_back(all);
    }
    for (const std::string &set : sets)
        ::unlink(set.c_str());
    const double oneUnit = bench::median(one);
    const double eightUnits = bench::median(eight);
    bench::printFigure("rix-param write, five values to one unit, median of 10", bench::fixed(oneUnit, 2, "s"), "-",
                       bench::Verdict::None);
    bench::printFigure("rix-param write, five values to eight units at once, median of 10",
                       bench::fixed(eightUnits, 2, "s"), "<= 1.3 x one unit",
                       bench::within(eightUnits, 1.3 * oneUnit));
    return 0;
}
