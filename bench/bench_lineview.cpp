// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of appending to a LineView that already holds many lines, its memory per line, and the
// time to save a million lines.
// Each timed iteration is 1,000 appends, each followed by making the newest line current, then
// one pass of the event loop so the repaint is included: the time per iteration is the cost
// of 1,000 appends. It must not grow with the lines already in the view.

#include <algorithm>
#include "support/benchreporter.h"
#include "support/figures.h"
#include "support/process.h"
#include "support/stats.h"
#include "widgets/lineview.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <cstdio>
#include <vector>

namespace {

constexpr int lineLength = 20;
constexpr int batch = 1000;

// A 20-character line that differs from its neighbours, as received lines do.
class LineMaker {
public:
    const QByteArray &nextLine()
    {
        std::snprintf(buffer_.data(), buffer_.size(), "SRF0 %015d", counter_++);
        return line_;
    }

private:
    std::array<char, lineLength + 1> buffer_{};
    QByteArray line_ = QByteArray::fromRawData(buffer_.data(), lineLength);
    int counter_ = 0;
};

void appendLines(LineView &view, LineMaker &lines, int count)
{
    for (int i = 0; i < count; ++i)
        view.addLine(lines.nextLine());
    view.setCurrentLine(view.count() - 1);
    QCoreApplication::processEvents();
}

void BM_AppendThousandAndMakeCurrent(benchmark::State &state)
{
    LineView view;
    view.resize(600, 300);
    view.show();
    LineMaker lines;
    appendLines(view, lines, int(state.range(0)));

    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            view.addLine(lines.nextLine());
            view.setCurrentLine(view.count() - 1);
        }
        QCoreApplication::processEvents();
    }
    state.counters["lines_at_end"] = view.count();
}

// Fixed iterations keep the view near its starting size while it is measured.
BENCHMARK(BM_AppendThousandAndMakeCurrent)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Run first, in a fresh process, so the peak is this view's and not a benchmark's.
void reportMemory()
{
    constexpr int lineCount = 1'000'000;
    LineView view;
    view.resize(600, 300);
    view.show();
    QCoreApplication::processEvents();
    const long before = bench::statusKiB("VmHWM");

    LineMaker lines;
    for (int i = 0; i < lineCount; ++i) {
        view.addLine(lines.nextLine());
        view.setCurrentLine(view.count() - 1);
        if (i % batch == batch - 1)
            QCoreApplication::processEvents();
    }
    const long after = bench::statusKiB("VmHWM");
    const double textMiB = double(lineCount) * lineLength / (1024.0 * 1024.0);
    const double grownMiB = double(after - before) / 1024.0;
    const double budgetMiB = (2.0 * lineCount * lineLength + 16.0 * lineCount) / (1024.0 * 1024.0);
    std::printf("Memory, %d lines of %d characters (text %.1f MiB):\n", lineCount, lineLength, textMiB);
    std::printf("  VmHWM before filling %.1f MiB, after %.1f MiB, grown %.1f MiB"
                " = %.2f x text = %.1f bytes per line\n",
                before / 1024.0, after / 1024.0, grownMiB, grownMiB / textMiB,
                double(after - before) * 1024.0 / lineCount);
    std::printf("  per 100k lines %.2f MiB\n", grownMiB / (lineCount / 100'000.0));
    std::printf("  budget (2 x text + 16 bytes per line) %.1f MiB: %s\n\n", budgetMiB,
                grownMiB <= budgetMiB ? "held" : "EXCEEDED");
    std::fflush(stdout);
    bench::printFigure("Line view: memory grown by 1M lines of 20 bytes",
                       bench::fixed(grownMiB, 1, "MiB") + " (" + bench::fixed(grownMiB / textMiB, 2, "x text") + ")",
                       "<= " + bench::fixed(budgetMiB, 1, "MiB") + " (2 x text + 16 B/line)",
                       bench::within(grownMiB, budgetMiB));
    // The same peak spread over the lines: what every 100,000 lines of a long run cost.
    bench::printFigure("Line view: memory per 100k lines of 20 bytes",
                       bench::fixed(grownMiB / (lineCount / 100'000.0), 2, "MiB"), "-", bench::Verdict::None);
}

// Saving a million lines ("Speichern unter …") must take well under a second: median of 3.
void reportSave()
{
    constexpr int lineCount = 1'000'000;
    // 37 ms apart, about ten hours of lines: the times cross many seconds, minutes and hours,
    // as a long run's do, instead of all falling into the same second.
    constexpr qint64 stepMs = 37;
    LineView view;
    LineMaker lines;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - lineCount * stepMs;
    for (int i = 0; i < lineCount; ++i)
        view.addLine(lines.nextLine(), start + i * stepMs);

    QTemporaryDir dir;
    std::vector<double> samples;
    qint64 bytes = 0;
    for (int run = 0; run < 3; ++run) {
        const QString path = dir.filePath(QStringLiteral("liste-%1.txt").arg(run));
        QElapsedTimer timer;
        timer.start();
        QString reason;
        const bool saved = view.saveToFile(path, &reason);
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!saved) {
            std::printf("Saving to %s failed: %s\n", qPrintable(path), qPrintable(reason));
            bench::printFigure("Line view: saving 1M lines of 20 bytes", "failed", "<= 1000 ms",
                               bench::Verdict::Missed);
            return;
        }
        bytes = QFileInfo(path).size();
        QFile::remove(path);
    }
    const double ms = bench::median(samples);
    std::printf("Saving %d lines: %.1f / %.1f / %.1f ms, %.1f MiB written (%.0f MiB/s)\n\n", lineCount,
                samples[0], samples[1], samples[2], double(bytes) / (1024.0 * 1024.0),
                double(bytes) / (1024.0 * 1024.0) / (ms / 1000.0));
    std::fflush(stdout);
    bench::printFigure("Line view: saving 1M lines of 20 bytes (median of 3)", bench::fixed(ms, 0, "ms"),
                       "<= 1000 ms", bench::within(ms, 1000.0));
}

// The append cost must be flat: at 1M lines no more than twice what it is at 10k lines.
void reportAppendCost(const bench::MedianCollector &collector)
{
    const auto msAt = [&collector](int lines) {
        const std::string prefix = "BM_AppendThousandAndMakeCurrent/" + std::to_string(lines) + "/";
        for (const auto &[name, ms] : collector.medians())
            if (name.rfind(prefix, 0) == 0)
                return ms;
        return -1.0;
    };
    const double base = msAt(10'000);
    for (const int lines : {10'000, 100'000, 1'000'000}) {
        const double ms = msAt(lines);
        if (ms < 0)
            continue;
        const std::string name = "Line view: 1,000 appends at "
                                 + (lines >= 1'000'000 ? std::to_string(lines / 1'000'000) + "M" : std::to_string(lines / 1000) + "k")
                                 + " lines";
        if (lines == 10'000)
            bench::printFigure(name, bench::fixed(ms, 2, "ms"), "flat (reference)", bench::Verdict::None);
        else
        {
            // Flat: within 1.5 times the 10k figure, and never over 10 ms per 1,000 appends.
            const double limit = std::min(1.5 * base, 10.0);
            bench::printFigure(name, bench::fixed(ms, 2, "ms"),
                               "<= 1.5 x 10k figure and <= 10 ms (" + bench::fixed(limit, 2, "ms") + ")",
                               bench::within(ms, limit));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    reportMemory();
    reportSave();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    bench::MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    reportAppendCost(collector);
    benchmark::Shutdown();
    return 0;
}
