// SPDX-License-Identifier: GPL-3.0-or-later
// „Mitschnitt öffnen …“ on a recording of about 100 MB (half a day of a chatty unit at 19200:
// each text as it came, its shown record, now and then a command): how long until the first
// lines are shown, until the whole file is in the lists, the longest the event loop was held
// meanwhile, and the memory the opened recording holds against what the window's two lists
// hold for the same lines. Then the find bar in it, on its two lists of a million lines each,
// as bench_find measures it on the window's lists.

#include "support/figures.h"
#include "support/stats.h"
#include "unit/files/recordformat.h"
#include "widgets/findbar.h"
#include "widgets/linelist.h"
#include "widgets/recordingviewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr qint64 fileBytes = 100'000'000;
constexpr int runCount = 5;
// 2026-12-07 06:00:00 UTC.
constexpr qint64 start = 1796623200000;

// The bytes the heap holds now.
qint64 heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

struct Record {
    QByteArray commandLine;
    QByteArray answer;
    qint64 time;
};

// The n-th text of the unit: its status, and every 20th the answer to the command before it.
QByteArray textOf(qint64 n)
{
    char text[48];
    const int length = std::snprintf(text, sizeof text, n % 20 == 0 ? "SRF0F011" : "ST %07lld K%02lld OK",
                                     static_cast<long long>(n), static_cast<long long>(n % 97));
    return QByteArray(text, length);
}

// Writes the recording and returns how many shown records it holds.
qint64 writeRecording(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    recordformat::TimeStamp time;
    QByteArray out;
    recordformat::appendMarker(out, time, start, QStringLiteral("Mitschnitt begonnen (rix-term 1.0.0), verbunden: (S) /dev/ttyUSB0:19200,n,8,1"));
    qint64 written = 0;
    qint64 n = 0;
    while (written + out.size() < fileBytes) {
        const qint64 at = start + n * 41;   // a text every 41 ms: half a day in a million
        if (n % 20 == 0)
            recordformat::appendSent(out, time, at - 12, "$RSRF0");
        const QByteArray text = textOf(n);
        recordformat::appendReceived(out, time, at, std::string(text.constData(), std::size_t(text.size())) + "\r\n");
        recordformat::appendRecord(out, time, at + 21, "$RSRF0", std::string_view(text.constData(), std::size_t(text.size())));
        if (n % 50000 == 49999)
            recordformat::appendMarker(out, time, at + 22, recordformat::listsClearedText(0, 0));
        ++n;
        if (out.size() > (1 << 20)) {
            file.write(out);
            written += out.size();
            out.clear();
        }
    }
    file.write(out);
    return n;
}

struct Opening {
    double firstLinesMs = -1;
    double wholeMs = -1;
    double longestBlockMs = 0;
    // The same in the thread's own CPU time: what the program held the loop for, without the
    // time a busy machine gave to others meanwhile.
    double longestWorkMs = 0;
};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Opening open(const QString &path, std::unique_ptr<RecordingViewer> &viewer)
{
    Opening opening;
    QElapsedTimer clock;
    clock.start();
    viewer = std::make_unique<RecordingViewer>(path);
    viewer->setWarningBox([](QWidget *, const QString &, const QString &text) { std::printf("%s\n", qPrintable(text)); });
    if (!viewer->open())
        return opening;
    viewer->show();
    const LineView *answers = viewer->findChild<LineView *>(QStringLiteral("lbrx"));
    bool painted = false;
    for (;;) {
        const qint64 before = clock.nsecsElapsed();
        const double cpuBefore = threadCpuMs();
        QCoreApplication::processEvents();
        const qint64 after = clock.nsecsElapsed();
        const double work = threadCpuMs() - cpuBefore;
        opening.longestBlockMs = std::max(opening.longestBlockMs, double(after - before) / 1e6);
        opening.longestWorkMs = std::max(opening.longestWorkMs, work);
        if (after - before > 30'000'000)
            std::printf("  a block of %.1f ms (%.1f ms of it the program's work) at %.0f ms (%d lines in)\n",
                        double(after - before) / 1e6, work, double(after) / 1e6, answers->count());
        // The turn after the first lines came painted them.
        if (painted && opening.firstLinesMs < 0)
            opening.firstLinesMs = double(after) / 1e6;
        painted = painted || answers->count() > 0;
        if (viewer->isRead()) {
            opening.wholeMs = double(after) / 1e6;
            break;
        }
        if (after > 60'000'000'000LL)
            break;
    }
    return opening;
}

// The heap the window's two lists take for the recording's lines, filled as the receive path
// fills them (appended, made current).
qint64 listsBytes(const RecordingViewer &viewer)
{
    const LineView *commands = viewer.findChild<LineView *>(QStringLiteral("lb2"));
    const LineView *answers = viewer.findChild<LineView *>(QStringLiteral("lbrx"));
    malloc_trim(0);
    const qint64 before = heapBytes();
    {
        auto lb2 = std::make_unique<LineList>();
        auto lbrx = std::make_unique<LineList>();
        for (const auto &[from, to] : {std::pair{commands, lb2.get()}, std::pair{answers, lbrx.get()}}) {
            for (int i = 0; i < from->count(); ++i) {
                if (from->isMarker(i))
                    continue;
                to->addLine(from->lineBytes(i), from->lineTime(i));
                to->setCurrentLine(to->count() - 1);
                // The window shows its lines a burst per turn of the event loop, which takes
                // what an append posts (a scroll bar's update) away again.
                if (i % 1000 == 0)
                    QCoreApplication::processEvents();
            }
            std::printf("the window's list %s: %d lines, heap %.1f MB so far\n", qPrintable(to->objectName()), to->count(),
                        double(heapBytes() - before) / 1e6);
        }
        const qint64 held = heapBytes() - before;
        return held;
    }
}

void reportFind(RecordingViewer &viewer, const char *what, const QString &text, int hitLine, const QString &status)
{
    FindBar *bar = viewer.findChild<FindBar *>();
    LineView *answers = viewer.findChild<LineView *>(QStringLiteral("lbrx"));
    bar->open(answers);
    std::vector<double> first, count, block;
    QString shown;
    for (int i = 0; i < runCount; ++i) {
        bar->textEdit()->clear();
        answers->setCurrentLine(0);
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        bar->textEdit()->setText(text);
        double firstHit = -1, counted = -1, longest = double(clock.nsecsElapsed()) / 1e6;
        for (;;) {
            const qint64 now = clock.nsecsElapsed();
            if (firstHit < 0 && answers->currentLine() == hitLine)
                firstHit = double(now) / 1e6;
            if (firstHit >= 0 && bar->search().isCounted() && !bar->search().isStepping()) {
                counted = double(now) / 1e6;
                break;
            }
            if (now > 10'000'000'000LL)
                break;
            QCoreApplication::processEvents();
            longest = std::max(longest, double(clock.nsecsElapsed() - now) / 1e6);
        }
        first.push_back(firstHit);
        count.push_back(counted);
        block.push_back(longest);
        shown = bar->status()->text();
        std::printf("%s: first hit %.1f ms, counted %.1f ms, longest block %.1f ms, \"%s\"\n", what, firstHit, counted,
                    longest, qPrintable(shown));
    }
    const bool right = shown == status;
    const std::string lines = std::to_string(answers->count()) + " lines";
    bench::printFigure(std::string("Find in an opened recording of 2 × ") + lines + ", " + what + ": first hit selected (median of 5)",
                       bench::fixed(bench::median(first), 1, "ms"), "<= 50 ms",
                       right ? bench::within(bench::median(first), 50) : bench::Verdict::Missed);
    bench::printFigure(std::string("Find in an opened recording of 2 × ") + lines + ", " + what + ": every hit counted (median of 5)",
                       bench::fixed(bench::median(count), 1, "ms") + " (\"" + shown.toStdString() + "\")",
                       "<= 300 ms, \"" + status.toStdString() + "\"",
                       right ? bench::within(bench::median(count), 300) : bench::Verdict::Missed);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt-100mb.txt"));
    const qint64 records = writeRecording(path);
    const double megabytes = double(QFile(path).size()) / 1e6;
    std::printf("Recording of %.1f MB, %lld shown records\n", megabytes, static_cast<long long>(records));

    std::vector<double> first, whole, block, work;
    std::unique_ptr<RecordingViewer> viewer;
    qint64 viewerBytes = 0;
    for (int i = 0; i < 3; ++i) {
        viewer.reset();
        malloc_trim(0);
        const qint64 before = heapBytes();
        const Opening opening = open(path, viewer);
        viewerBytes = heapBytes() - before;
        first.push_back(opening.firstLinesMs);
        whole.push_back(opening.wholeMs);
        block.push_back(opening.longestBlockMs);
        work.push_back(opening.longestWorkMs);
        std::printf("Opening: first lines %.1f ms, whole %.1f ms, longest block %.1f ms (work %.1f ms), heap %.1f MB\n",
                    opening.firstLinesMs, opening.wholeMs, opening.longestBlockMs, opening.longestWorkMs,
                    double(viewerBytes) / 1e6);
    }
    const LineView *answers = viewer->findChild<LineView *>(QStringLiteral("lbrx"));
    const bool whole100 = answers->count() >= records && megabytes >= 99;
    const std::string size = bench::fixed(megabytes, 0, "MB");
    bench::printFigure("Opening a " + size + " recording: first lines shown (median of 3)",
                       bench::fixed(bench::median(first), 0, "ms"), "<= 500 ms",
                       whole100 ? bench::within(bench::median(first), 500) : bench::Verdict::Missed);
    bench::printFigure("Opening a " + size + " recording: all " + std::to_string(records) + " records in (median of 3)",
                       bench::fixed(bench::median(whole) / 1000, 2, "s"), "<= 3 s",
                       whole100 ? bench::within(bench::median(whole), 3000) : bench::Verdict::Missed);
    bench::printFigure("Opening a " + size + " recording: longest event-loop block, worst of 3",
                       bench::fixed(bench::maximum(block), 1, "ms") + " (the program's own work in it: "
                           + bench::fixed(bench::maximum(work), 1, "ms") + ")",
                       "<= 30 ms", bench::within(bench::maximum(block), 30));
    const qint64 lists = listsBytes(*viewer);
    const double ratio = double(viewerBytes) / double(lists);
    bench::printFigure("Opening a " + size + " recording: memory against the window's lists",
                       bench::fixed(double(viewerBytes) / 1e6, 0, "MB") + " / " + bench::fixed(double(lists) / 1e6, 0, "MB")
                           + " = " + bench::fixed(ratio, 2, "×"),
                       "<= 1.5 ×", bench::within(ratio, 1.5));

    // One hit near the end: a status text (not every 20th, an answer), after the first
    // marker and one "Listen geleert" per 50,000 records.
    qint64 last = records - 1000;
    if (last % 20 == 0)
        --last;
    char status[32];
    std::snprintf(status, sizeof status, "ST %07lld", static_cast<long long>(last));
    reportFind(*viewer, "one hit near its end", QString::fromLatin1(status), int(1 + last + last / 50'000),
               QStringLiteral("Treffer 1 von 1"));
    // A hit in nearly every line: every status text.
    const qint64 statusTexts = records - (records + 19) / 20;
    reportFind(*viewer, "a hit in 19 of 20 lines", QStringLiteral(" ok"), 2,
               QStringLiteral("Treffer 1 von %1").arg(QLocale(QLocale::German, QLocale::Germany).toString(statusTexts)));
    return 0;
}
