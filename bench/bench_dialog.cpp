// SPDX-License-Identifier: GPL-3.0-or-later
// „Parametersatz …“ in the window against a simulated unit that answers at once at 19200:
// reading all seven (each costs its F button's 165 ms pause and the 20 ms quiet time that
// shows its answer in the lists before the next read), writing one value with its read-back
// (the send button's 275 ms and one read), and the longest time the event loop was blocked
// meanwhile (the lateness of a 10 ms probe timer).

#include "support/connectedapp.h"
#include "support/controls.h"
#include "support/figures.h"
#include "support/stats.h"

#include "rixsim/backgroundsimulator.h"
#include "widgets/parameterdialog.h"
#include "window/app/dispatch.h"
#include "window/commands/parameterset.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
constexpr int probeMs = 10;
constexpr int roundCount = 5;

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Runs `action` with the probe ticking, and the event loop until `done`: its time in ms and
// the probe's longest lateness. A run of the dialog goes on in the event loop after the click.
std::pair<double, double> timed(const std::function<void()> &action, const std::function<bool()> &done)
{
    std::vector<Clock::time_point> ticks;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] { ticks.push_back(Clock::now()); });
    const Clock::time_point start = Clock::now();
    ticks.push_back(start);
    probe.start(probeMs);
    action();
    bench::runUntil(done, std::chrono::seconds(20));
    const Clock::time_point end = Clock::now();
    probe.stop();
    ticks.push_back(end);
    double longest = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        longest = std::max(longest, msBetween(ticks[i - 1], ticks[i]) - probeMs);
    return {msBetween(start, end), longest};
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication qt(argc, argv);
    rixsim::BackgroundSimulator sim;
    bench::ConnectedApp app;
    if (!app.connectTo(QString::fromStdString(sim.path()))) {
        std::fprintf(stderr, "bench_dialog: not connected\n");
        return 1;
    }
    dispatch(app.program(), showParameterSet);
    ParameterDialog *d = parameterDialog(app.program());
    d->setQuestion([](QWidget *, const QString &) { return true; });
    QPushButton *readButton = testsupport::control<QPushButton>(*d, "readButton");
    QPushButton *writeButton = testsupport::control<QPushButton>(*d, "writeButton");
    if (!readButton || !writeButton) {
        std::fprintf(stderr, "bench_dialog: no read or write button\n");
        return 1;
    }

    std::vector<double> reads, writes, blocks;
    for (int round = 0; round < roundCount; ++round) {
        const auto [readMs, readBlock] = timed([&] { readButton->click(); }, [&] { return !d->isRunning(); });
        if (d->report() != QStringLiteral("F0–F6 gelesen.")) {
            std::fprintf(stderr, "bench_dialog: read: %s\n", qPrintable(d->report()));
            return 1;
        }
        reads.push_back(readMs);
        blocks.push_back(readBlock);
        // Let the last answer be shown, as the next user's action would.
        bench::runFor(std::chrono::milliseconds(50));
        d->setFileValue(3, round % 2 == 0 ? QStringLiteral("0E3C") : QStringLiteral("0E28"));
        const auto [writeMs, writeBlock] = timed([&] { writeButton->click(); }, [&] { return !d->isRunning(); });
        if (!d->report().startsWith(QStringLiteral("Geschrieben und zurückgelesen: 1 Wert(e)."))) {
            std::fprintf(stderr, "bench_dialog: write: %s\n", qPrintable(d->report()));
            return 1;
        }
        writes.push_back(writeMs);
        bench::runFor(std::chrono::milliseconds(50));
        std::fprintf(stderr, "round %d: read %.0f ms (block %.1f ms), write %.0f ms (block %.1f ms)\n", round, readMs,
                     readBlock, writeMs, writeBlock);
    }
    const double read = bench::maximum(reads);
    const double write = bench::maximum(writes);
    const double block = bench::maximum(blocks);
    bench::printFigure("Parametersatz: read all seven at 19200, slowest of 5", bench::fixed(read / 1000.0, 2, "s"),
                       "<= 1.3 s", bench::within(read, 1300.0));
    bench::printFigure("Parametersatz: write one value with its read-back, slowest of 5", bench::fixed(write / 1000.0, 2, "s"),
                       "<= 0.5 s", bench::within(write, 500.0));
    bench::printFigure("Parametersatz: longest event-loop block during a read, worst of 5", bench::fixed(block, 1, "ms"),
                       "<= 30 ms", bench::within(block, 30.0));
    return 0;
}
