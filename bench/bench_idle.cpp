// SPDX-License-Identifier: GPL-3.0-or-later
// Connected to an idle unit: the CPU the poll timer's ticks use over 10 s (each takes what is
// waiting, which is nothing, and queries the modem lines), and then, over another 10 s, the
// longest time the event loop was blocked, seen as the lateness of a 10 ms probe timer. The
// two are measured apart: the probe wakes the event loop a hundred times a second, five times
// as often as the program's own timer, and its wake-ups would be counted as the program's.
// The simulator runs on a thread of this process, blocked in poll(2) while nothing happens,
// so its share is negligible.

#include "support/connectedapp.h"
#include "support/figures.h"
#include "support/process.h"

#include "rixsim/backgroundsimulator.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

#include <chrono>
#include <cstdio>

using namespace std::chrono_literals;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    rixsim::BackgroundSimulator sim;
    bench::ConnectedApp app;
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_idle: could not connect to %s\n", sim.path().c_str());
        return 1;
    }
    bench::runFor(1s);

    constexpr auto measured = 10s;
    constexpr int probeMs = 10;
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastProbe = Clock::now();
    double longestBlockMs = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - lastProbe).count();
        longestBlockMs = std::max(longestBlockMs, gap - probeMs);
        lastProbe = now;
    });

    const double cpuBefore = bench::processCpuMs();
    const auto start = Clock::now();
    bench::runFor(measured);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double percent = 100.0 * (bench::processCpuMs() - cpuBefore) / wallMs;

    lastProbe = Clock::now();
    probe.start(probeMs);
    bench::runFor(measured);
    probe.stop();
    bench::printFigure("Idle CPU, connected to rix-sim, over 10 s", bench::fixed(percent, 2, "% of a core"),
                       "<= 1 %", bench::within(percent, 1.0));
    bench::printFigure("Idle: longest event-loop block (10 ms probe lateness), 10 s", bench::fixed(longestBlockMs, 1, "ms"),
                       "<= 2 ms", bench::within(longestBlockMs, 2.0));
    return 0;
}
