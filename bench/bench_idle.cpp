// SPDX-License-Identifier: GPL-3.0-or-later
// Connected to an idle unit: the CPU the poll timer's ticks use over 10 s (each takes what is
// waiting, which is nothing, and queries the modem lines), and then, over another 10 s, how
// long the event loop is blocked. The two are measured apart: the probe timer wakes the event
// loop a hundred times a second, five times as often as the program's own timer, and its
// wake-ups would be counted as the program's.
//
// A block is measured two ways. The longest poll tick is the program's own: from the timer's
// event to the end of its handler. The lateness of a 10 ms probe timer also holds what the
// machine adds (another process, the hypervisor), so it is given beside the same probe's
// lateness over 10 s before connecting, when the program runs no timer at all.
//
// The simulator runs on a thread of this process, blocked in poll(2) while nothing happens,
// so its share is negligible.

#include "support/connectedapp.h"
#include "support/figures.h"
#include "support/process.h"

#include "rixsim/backgroundsimulator.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

using namespace std::chrono_literals;

namespace {
// Calls `seen` when a timer event reaches `timer`, before the timer emits timeout().
class TimerEventWatch : public QObject {
public:
    TimerEventWatch(const QObject *timer, std::function<void()> seen)
        : timer_(timer)
        , seen_(std::move(seen))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == timer_ && event->type() == QEvent::Timer)
            seen_();
        return false;
    }

private:
    const QObject *timer_;
    std::function<void()> seen_;
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    rixsim::BackgroundSimulator sim;
    bench::ConnectedApp app;

    using Clock = std::chrono::steady_clock;
    const auto msBetween = [](Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    };
    const auto cpuPercentOver = [&](std::chrono::milliseconds measured) {
        const double cpuBefore = bench::processCpuMs();
        const auto start = Clock::now();
        bench::runFor(measured);
        return 100.0 * (bench::processCpuMs() - cpuBefore) / msBetween(start, Clock::now());
    };
    const auto probeLatenessOver = [&](std::chrono::milliseconds measured) {
        constexpr int probeMs = 10;
        double worst = 0;
        Clock::time_point last = Clock::now();
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            worst = std::max(worst, msBetween(last, now) - probeMs);
            last = now;
        });
        probe.start(probeMs);
        bench::runFor(measured);
        return worst;
    };
    constexpr auto measured = 10s;

    const double machineLatenessMs = probeLatenessOver(measured);
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_idle: could not connect to %s\n", sim.path().c_str());
        return 1;
    }
    bench::runFor(1s);
    const double percent = cpuPercentOver(measured);

    // The tick's handler was connected first, so a slot connected now runs right after it.
    const QTimer &tmr1 = app.program().conversation.pollTimer();
    Clock::time_point tickStart;
    double longestTickMs = 0;
    int ticks = 0;
    TimerEventWatch watch(&tmr1, [&] { tickStart = Clock::now(); });
    QObject::connect(&tmr1, &QTimer::timeout, [&] {
        longestTickMs = std::max(longestTickMs, msBetween(tickStart, Clock::now()));
        ++ticks;
    });
    const double latenessMs = probeLatenessOver(measured);

    bench::printFigure("Idle CPU, connected to rix-sim, over 10 s", bench::fixed(percent, 2, "% of a core"),
                       "<= 1 %", bench::within(percent, 1.0));
    bench::printFigure("Idle: longest poll tick, timer event to the end of its handler, 10 s",
                       bench::fixed(longestTickMs, 2, "ms") + " (" + std::to_string(ticks) + " ticks)", "<= 2 ms",
                       ticks > 0 ? bench::within(longestTickMs, 2.0) : bench::Verdict::Missed);
    bench::printFigure("Idle: 10 ms probe lateness, longest in 10 s, connected (not connected: the machine's own)",
                       bench::fixed(latenessMs, 1, "ms") + " (" + bench::fixed(machineLatenessMs, 1, "ms") + ")", "-",
                       bench::Verdict::None);
    return 0;
}
