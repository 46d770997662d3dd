// SPDX-License-Identifier: GPL-3.0-or-later
// A unit that sends without a pause: 100,000 lines of 63 bytes (6.3 MB) written into a
// pseudo-terminal's master end as fast as it takes them, while the program is connected to
// the slave end. Measured: the time from the first byte written until every byte is in
// lbrx (checked in order), the longest lateness of a 10 ms probe timer (an upper bound of
// the longest time the event loop was blocked) and the 95th percentile of that lateness.
// The same flood again with a recording running: its time against the flood without one,
// its blocks, whether every line was in the file before it was painted and the file whole.

#include "support/connectedapp.h"
#include "support/figures.h"
#include "support/process.h"
#include "support/pty.h"
#include "support/recordedfile.h"
#include "support/stats.h"
#include "window/app/dispatch.h"
#include "window/program.h"
#include "window/recording/recording.h"
#include "window/recording/recordinghandlers.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int lineCount = 100'000;
constexpr int lineLength = 63;
constexpr int probeMs = 10;

QByteArray floodStream()
{
    QByteArray stream;
    stream.reserve(lineCount * lineLength);
    const QByteArray payload("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");   // 52 bytes
    for (int i = 0; i < lineCount; ++i)
        stream += QByteArray::number(i).rightJustified(8, '0') + ' ' + payload + "\r\n";
    return stream;
}

// Runs on the GUI thread during the measurement, so it is kept cheap.
QByteArray withoutLineEnds(const QByteArray &bytes)
{
    QByteArray kept(bytes.size(), Qt::Uninitialized);
    const auto end = std::remove_copy_if(bytes.begin(), bytes.end(), kept.begin(),
                                         [](char c) { return c == '\r' || c == '\n'; });
    kept.truncate(end - kept.begin());
    return kept;
}

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Round {
    bool ok = false;
    bool intact = false;
    double totalMs = 0;
    double longestBlockMs = 0;
    double p95LatenessMs = 0;
    // With a recording: paints of lbrx that came before their lines' records were written, and
    // whether the file holds every answer and every byte as it came, whole and in order.
    int paintsAhead = 0;
    bool fileIntact = false;
};

Round runRound(bool recording)
{
    testsupport::Pty pty;
    bench::ConnectedApp app;
    MainWindow &w = app.window();
    if (!app.connectTo(pty.slavePath())) {
        std::fprintf(stderr, "bench_flood: could not connect to %s\n", qPrintable(pty.slavePath()));
        return {};
    }
    QTemporaryDir dir;
    bench::RecordedFile recorded;
    recorded.path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    std::unique_ptr<bench::PaintWatch> paints;
    if (recording) {
        dispatch(app.program(), [path = recorded.path](Program &p) { recordingStart(p, path); });
        if (!app.program().recording.isRunning()) {
            std::fprintf(stderr, "bench_flood: the recording did not start\n");
            return {};
        }
        paints = std::make_unique<bench::PaintWatch>(w.lbrx(), recorded);
    }
    bench::runFor(200ms);

    const QByteArray stream = floodStream();
    const QByteArray expected = withoutLineEnds(stream);

    // Collects what reached lbrx, line by line as it arrives, so the check stays cheap.
    int linesSeen = 0;
    QByteArray shown;
    shown.reserve(expected.size());
    const auto takeNewLines = [&] {
        for (; linesSeen < w.lbrx()->count(); ++linesSeen)
            shown += withoutLineEnds(w.lbrx()->lineBytes(linesSeen));
        return shown.size() >= expected.size();
    };

    std::vector<Clock::time_point> probeTicks;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] { probeTicks.push_back(Clock::now()); });

    const double cpuBefore = bench::processCpuMs();
    std::atomic<bool> written{false};
    Clock::time_point writtenAt{};
    const Clock::time_point start = Clock::now();
    probe.start(probeMs);
    probeTicks.push_back(start);
    std::thread writer([&] {
        written = pty.write(stream, 60'000);
        writtenAt = Clock::now();
    });
    Clock::time_point doneAt{};
    const bool complete = bench::runUntil([&] {
        if (!takeNewLines())
            return false;
        doneAt = Clock::now();
        return true;
    }, 60s, 2);
    probe.stop();
    writer.join();
    const double cpuMs = bench::processCpuMs() - cpuBefore;

    if (!written || !complete) {
        std::fprintf(stderr, "bench_flood: written %d, complete %d, %lld of %lld bytes shown\n", int(written.load()),
                     int(complete), (long long)shown.size(), (long long)expected.size());
        return {};
    }
    Round round;
    round.ok = true;
    round.intact = shown == expected;
    if (recording) {
        round.paintsAhead = paints->ahead();
        paints.reset();
        bench::runFor(50ms);
        round.fileIntact = withoutLineEnds(recorded.answers()) == expected && recorded.records() == w.lbrx()->count()
                           && recorded.received() == stream;
    }
    std::vector<double> lateness;
    for (std::size_t i = 1; i < probeTicks.size(); ++i)
        lateness.push_back(std::max(0.0, msBetween(probeTicks[i - 1], probeTicks[i]) - probeMs));
    round.totalMs = msBetween(start, doneAt);
    round.longestBlockMs = bench::maximum(lateness);
    round.p95LatenessMs = bench::percentile(lateness, 0.95);
    std::fprintf(stderr,
                 "flood%s: %.0f ms, %d lines in lbrx, %d in lb2; writer done after %.0f ms; %zu probe ticks, "
                 "longest block %.1f ms; CPU %.0f ms; bytes %s",
                 recording ? " with a recording" : "", round.totalMs, w.lbrx()->count(), w.lb2()->count(),
                 msBetween(start, writtenAt), probeTicks.size(), round.longestBlockMs, cpuMs,
                 round.intact ? "intact and in order" : "DIFFER");
    if (recording)
        std::fprintf(stderr, "; %d records, %d paints ahead of the file, file %s", recorded.records(), round.paintsAhead,
                     round.fileIntact ? "whole and in order" : "DIFFERS");
    std::fprintf(stderr, "\n");
    return round;
}

} // namespace

// Three rounds, each with a fresh program and pseudo-terminal: the median time and
// lateness, and the longest gap of all rounds.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);

    constexpr int roundCount = 3;
    std::vector<double> totals;
    std::vector<double> blocks;
    std::vector<double> p95s;
    std::vector<double> recordedTotals;
    std::vector<double> recordedBlocks;
    int paintsAhead = 0;
    bool intact = true;
    bool fileIntact = true;
    // Taking turns, so that a change in the machine's load falls on both alike.
    for (int i = 0; i < roundCount; ++i) {
        const Round round = runRound(false);
        const Round recorded = runRound(true);
        if (!round.ok || !recorded.ok)
            return 1;
        intact = intact && round.intact && recorded.intact;
        fileIntact = fileIntact && recorded.fileIntact;
        paintsAhead += recorded.paintsAhead;
        totals.push_back(round.totalMs);
        blocks.push_back(round.longestBlockMs);
        p95s.push_back(round.p95LatenessMs);
        recordedTotals.push_back(recorded.totalMs);
        recordedBlocks.push_back(recorded.longestBlockMs);
    }
    const double total = bench::median(totals);
    const double block = bench::maximum(blocks);
    const double p95 = bench::median(p95s);
    const double recordedTotal = bench::median(recordedTotals);
    const double recordedBlock = bench::maximum(recordedBlocks);
    bench::printFigure("Flood 6.3 MB: until every byte is in lbrx (median of 3)", bench::fixed(total, 0, "ms"),
                       "<= 1000 ms", intact ? bench::within(total, 1000.0) : bench::Verdict::Missed);
    bench::printFigure("Flood: longest event-loop block (10 ms probe lateness), worst of 3",
                       bench::fixed(block, 1, "ms"), "<= 30 ms", bench::within(block, 30.0));
    bench::printFigure("Flood: 10 ms probe lateness, 95th percentile (median of 3)", bench::fixed(p95, 1, "ms"),
                       "<= 10 ms", bench::within(p95, 10.0));
    bench::printFigure("Flood: bytes in lbrx, in order", intact ? "all" : "LOST OR REORDERED", "all",
                       intact ? bench::Verdict::Ok : bench::Verdict::Missed);
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, " = %.2f x without", recordedTotal / total);
    bench::printFigure("Flood with a recording running: until every byte is in lbrx (median of 3)",
                       bench::fixed(recordedTotal, 0, "ms") + ratio, "<= 1.2 x without",
                       bench::within(recordedTotal, 1.2 * total));
    bench::printFigure("Flood with a recording: longest event-loop block, worst of 3", bench::fixed(recordedBlock, 1, "ms"),
                       "<= 30 ms", bench::within(recordedBlock, 30.0));
    bench::printFigure("Flood with a recording: paints of lbrx before their records were written", std::to_string(paintsAhead),
                       "0", paintsAhead == 0 ? bench::Verdict::Ok : bench::Verdict::Missed);
    bench::printFigure("Flood with a recording: every answer and every byte as received in the file, whole and in order",
                       fileIntact ? "all" : "NO",
                       "all", fileIntact ? bench::Verdict::Ok : bench::Verdict::Missed);
    return intact && fileIntact && paintsAhead == 0 ? 0 : 1;
}
