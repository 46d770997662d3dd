// SPDX-License-Identifier: GPL-3.0-or-later
// From the unit's last answer byte to the answer's line in lbrx. The program sends "$RSRF0"
// on cmdF0 and then holds for its 165 ms pause with the poll timer off; the budget is about
// an answer that comes while the timer runs. So the simulator delays each answer by a random
// 180-260 ms after the command, which spreads the answers over the 50 ms tick cycle; bytes
// that arrive while polling open a burst at once, and a burst is shown 20 ms after its last byte. The line is noticed by a 1 ms timer; the
// answer's time is the simulator's own record of when its last byte went to the line.
//
// A second, shorter series lets the simulator answer at once, as a real unit does: that
// answer lands inside the pause, and the figure shows what the pause costs.
//
// Two more series hold TR1 under a unit that streams without a quiet time (a line every
// 10 ms; a flood of lines back to back) and measure from the mouse-up to the release's last
// byte at the unit (budget 50 ms).

#include "support/connectedapp.h"
#include "support/figures.h"
#include "support/stats.h"

#include "rixsim/backgroundsimulator.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::size_t sentCount(const std::vector<rixsim::TrafficEvent> &events)
{
    std::size_t n = 0;
    for (const auto &e : events)
        n += e.kind == rixsim::TrafficEvent::Kind::Sent ? 1 : 0;
    return n;
}

// Latencies in ms of `exchanges` presses of cmdF0; empty on a failure (reported on stderr).
std::vector<double> measure(rixsim::BackgroundSimulator &sim, int exchanges)
{
    bench::ConnectedApp app;
    MainWindow &w = app.window();
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_latency: could not connect to %s\n", sim.path().c_str());
        return {};
    }
    std::vector<double> latencies;
    for (int i = 0; i < exchanges; ++i) {
        const int before = w.lbrx()->count();
        const std::size_t sentBefore = sentCount(sim.log().snapshot());
        app.click(w.cmdF0());
        Clock::time_point seen{};
        const bool shown = bench::runUntil([&] {
            if (w.lbrx()->count() == before)
                return false;
            seen = Clock::now();
            return true;
        }, 3s);
        const bool logged = sim.log().waitFor([&](const auto &events) { return sentCount(events) > sentBefore; }, 3s);
        if (!shown || !logged || w.lbrx()->lineBytes(before) != "F011") {
            std::fprintf(stderr, "bench_latency: exchange %d failed (shown %d, logged %d, line '%s')\n", i, shown,
                         logged, w.lbrx()->lineBytes(before).constData());
            return {};
        }
        Clock::time_point sent{};
        for (const auto &e : sim.log().snapshot())
            if (e.kind == rixsim::TrafficEvent::Kind::Sent)
                sent = e.time;
        latencies.push_back(std::chrono::duration<double, std::milli>(seen - sent).count());
    }
    return latencies;
}

// Milliseconds from each key's mouse-up to the unit's last byte of the release, `presses`
// times, TR1 held 200 ms each, under a unit that streams without a quiet time; empty on a
// failure.
std::vector<double> releaseUnderStream(rixsim::BackgroundSimulator &sim, int presses)
{
    bench::ConnectedApp app;
    MainWindow &w = app.window();
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_latency: could not connect to %s\n", sim.path().c_str());
        return {};
    }
    const auto releases = [](const std::vector<rixsim::TrafficEvent> &events) {
        std::vector<Clock::time_point> at;
        for (const auto &e : events)
            if (e.kind == rixsim::TrafficEvent::Kind::Received && e.bytes == "$RSEA")
                at.push_back(e.time);
        return at;
    };
    std::vector<double> ms;
    for (int i = 0; i < presses; ++i) {
        app.press(w.cmdTR1());
        bench::runFor(200ms);
        const Clock::time_point mouseUp = Clock::now();
        app.release(w.cmdTR1());
        // The predicate runs under the log's lock: it looks only at the events it is given.
        if (!sim.log().waitFor([&](const auto &events) { return releases(events).size() > std::size_t(i); }, 3s)) {
            std::fprintf(stderr, "bench_latency: release %d never reached the unit\n", i);
            return {};
        }
        ms.push_back(std::chrono::duration<double, std::milli>(releases(sim.log().snapshot()).back() - mouseUp).count());
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);

    {
        rixsim::TransportOptions options;
        std::mt19937 random(20240601);
        std::uniform_int_distribution<int> delayMs(180, 260);
        // Runs on the simulator's thread before it queues the answer, so it delays the answer.
        options.onEvent = [&](const rixsim::TrafficEvent &e) {
            if (e.kind == rixsim::TrafficEvent::Kind::Received)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        };
        rixsim::BackgroundSimulator sim(options);
        const std::vector<double> ms = measure(sim, 200);
        if (ms.empty())
            return 1;
        const double median = bench::median(ms);
        const double p95 = bench::percentile(ms, 0.95);
        bench::printFigure("Answer latency while polling, median of 200", bench::fixed(median, 1, "ms"),
                           "<= 30 ms (20 quiet + 10)", bench::within(median, 30.0));
        bench::printFigure("Answer latency while polling, 95th percentile", bench::fixed(p95, 1, "ms"),
                           "<= 40 ms", bench::within(p95, 40.0));
        bench::printFigure("Answer latency while polling, maximum", bench::fixed(bench::maximum(ms), 1, "ms"),
                           "-", bench::Verdict::None);
    }
    {
        rixsim::BackgroundSimulator sim;
        const std::vector<double> ms = measure(sim, 50);
        if (ms.empty())
            return 1;
        bench::printFigure("Answer latency, unit answers at once (inside the 165 ms pause), median of 50",
                           bench::fixed(bench::median(ms), 1, "ms"), "- (rest of the pause + 20 quiet, by design)",
                           bench::Verdict::None);
    }
    {
        // An FMS line every 10 ms: 11 bytes at 19200 baud take 5.7 ms, so the line is never
        // quiet for 20 ms. The time includes the unit's own framing of the command (its last
        // byte, not the 10 ms gap after it).
        rixsim::TransportOptions options;
        options.sendEvery = 10ms;
        options.sendEveryText = "FMS 12345\r\n";
        rixsim::BackgroundSimulator sim(options);
        const std::vector<double> ms = releaseUnderStream(sim, 20);
        if (ms.empty())
            return 1;
        bench::printFigure("Key release under a stream (--send-every 10), mouse-up to the unit, median of 20",
                           bench::fixed(bench::median(ms), 1, "ms"), "<= 50 ms", bench::within(bench::median(ms), 50.0));
        bench::printFigure("Key release under a stream (--send-every 10), maximum of 20",
                           bench::fixed(bench::maximum(ms), 1, "ms"), "<= 50 ms", bench::within(bench::maximum(ms), 50.0));
    }
    {
        // Numbered lines back to back at the line's pace: the bytes the window takes at
        // once end anywhere in a line, so a release may find no line end and wait its 25 ms.
        rixsim::TransportOptions options;
        options.flood = 40s;
        rixsim::BackgroundSimulator sim(options);
        const std::vector<double> ms = releaseUnderStream(sim, 20);
        if (ms.empty())
            return 1;
        bench::printFigure("Key release under a flood (--flood), mouse-up to the unit, median of 20",
                           bench::fixed(bench::median(ms), 1, "ms"), "<= 50 ms", bench::within(bench::median(ms), 50.0));
        bench::printFigure("Key release under a flood (--flood), maximum of 20",
                           bench::fixed(bench::maximum(ms), 1, "ms"), "<= 50 ms", bench::within(bench::maximum(ms), 50.0));
    }
    return 0;
}
