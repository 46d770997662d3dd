// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param on many units at once, as a workshop with a hub of adapters runs it: find on
// eight simulated units that answer at 19200, find on eight mixed ports (some at 19200,
// some at 4800 with the echo, some silent, so both rates are waited through) with the
// moment each port's line appeared, and one set written to eight units against the same set
// written to one. The whole run of the program, from its start to its exit.

#include "support/figures.h"
#include "support/process.h"
#include "support/stats.h"

#include "rixsim/backgroundsimulator.h"

#include <algorithm>
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

// Runs rix-param with `words`: when each line of its output came and when it ended (the last
// entry, with no text); empty when it could not run or ended with another code than `expected`.
std::vector<bench::TimedLine> timedLines(std::vector<std::string> words, int expected)
{
    words.insert(words.begin(), RIXPARAM_PROGRAM);
    int code = -1;
    std::vector<bench::TimedLine> lines = bench::runTimingLines(words, code);
    if (code != expected) {
        std::fprintf(stderr, "bench_units: rix-param %s ended with %d\n", words.at(1).c_str(), code);
        return {};
    }
    return lines;
}

// The latest moment a line containing `part` appeared.
double lastLineWith(const std::vector<bench::TimedLine> &lines, const std::string &part)
{
    double last = -1;
    for (const bench::TimedLine &line : lines)
        if (line.text.find(part) != std::string::npos)
            last = std::max(last, line.seconds);
    return last;
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
    // Find on eight units that answer at 19200: every line within the budget.
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> answering;
    for (int i = 0; i < 8; ++i) {
        rixsim::Unit unit;
        unit.setAddressDigit(char('0' + i));
        answering.push_back(std::make_unique<rixsim::BackgroundSimulator>(rixsim::TransportOptions{}, std::move(unit)));
    }
    std::vector<double> finds;
    for (int run = 0; run < runs; ++run) {
        const double seconds = timed(withPorts({"find"}, answering, answering.size()), 0);
        if (seconds < 0)
            return 1;
        finds.push_back(seconds);
    }
    const double slowestFind = bench::maximum(finds);
    bench::printFigure("rix-param find, eight units at 19200, slowest of 5", bench::fixed(slowestFind, 2, "s"),
                       "<= 1.5 s", bench::within(slowestFind, 1.5));

    // Find on mixed ports: three at 19200, three at 4800 (the echo), two that answer neither.
    // An answer is waited for as long as read waits (2 s), so a unit at 4800 comes after the
    // 2 s at 19200 and a silent port after 2 s at each rate; each line as its port is settled.
    std::vector<std::unique_ptr<rixsim::BackgroundSimulator>> bench;
    for (int i = 0; i < 8; ++i) {
        rixsim::TransportOptions options;
        rixsim::Unit unit(i >= 3 && i < 6);
        if (i >= 3)
            options.unitRate = i < 6 ? 4800 : 9600;
        unit.setAddressDigit(char('0' + i));
        bench.push_back(std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit)));
    }
    std::vector<double> fastLines;
    std::vector<double> slowLines;
    std::vector<double> wholeRuns;
    for (int run = 0; run < runs; ++run) {
        const std::vector<bench::TimedLine> lines = timedLines(withPorts({"find"}, bench, bench.size()), 0);
        if (lines.empty())
            return 1;
        fastLines.push_back(lastLineWith(lines, ": 19200 Baud"));
        slowLines.push_back(lastLineWith(lines, ": 4800 Baud"));
        wholeRuns.push_back(lines.back().seconds);
    }
    const double slowestFast = bench::maximum(fastLines);
    bench::printFigure("rix-param find, mixed ports, last unit at 19200 shown, slowest of 5",
                       bench::fixed(slowestFast, 2, "s"), "<= 1.5 s", bench::within(slowestFast, 1.5));
    bench::printFigure("rix-param find, mixed ports, last unit at 4800 shown, slowest of 5",
                       bench::fixed(bench::maximum(slowLines), 2, "s"), "-", bench::Verdict::None);
    bench::printFigure("rix-param find, mixed ports, two silent, whole run, slowest of 5",
                       bench::fixed(bench::maximum(wholeRuns), 2, "s"), "-", bench::Verdict::None);

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
