// SPDX-License-Identifier: GPL-3.0-or-later
// The find bar on a list of a million lines, driven as a user does (the text typed into the
// bar, then the event loop running): how long until the hit is selected, how long until the
// bar has counted every hit, and the longest the event loop waited meanwhile. And how long
// "Zeile untersuchen" takes to show a 64 KiB line.

#include "support/figures.h"
#include "support/stats.h"
#include "widgets/findbar.h"
#include "widgets/lineinspector.h"
#include "widgets/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int lineCount = 1'000'000;
constexpr int runCount = 5;

struct Run {
    double firstHitMs = -1;
    double countMs = -1;
    double longestBlockMs = 0;
};

// Types `text` into the bar and runs the event loop until the bar has counted; `hitLine` is
// the line the first hit must select.
Run search(MainWindow &w, const QString &text, int hitLine)
{
    FindBar &bar = *w.findBar();
    bar.textEdit()->clear();
    w.lbrx()->setCurrentLine(0);
    QCoreApplication::processEvents();
    Run run;
    QElapsedTimer clock;
    clock.start();
    bar.textEdit()->setText(text);
    qint64 last = clock.nsecsElapsed();
    run.longestBlockMs = double(last) / 1e6;
    for (;;) {
        const qint64 now = clock.nsecsElapsed();
        if (run.firstHitMs < 0 && w.lbrx()->currentLine() == hitLine)
            run.firstHitMs = double(now) / 1e6;
        if (run.firstHitMs >= 0 && bar.search().isCounted() && !bar.search().isStepping()) {
            run.countMs = double(now) / 1e6;
            break;
        }
        if (now > 10'000'000'000LL)
            break;
        QCoreApplication::processEvents();
        const qint64 after = clock.nsecsElapsed();
        run.longestBlockMs = std::max(run.longestBlockMs, double(after - now) / 1e6);
    }
    return run;
}

void reportSearch(MainWindow &w, const char *what, const QString &text, int hitLine, const QString &status)
{
    std::vector<double> first, count, block;
    QString shown;
    for (int i = 0; i < runCount; ++i) {
        const Run run = search(w, text, hitLine);
        first.push_back(run.firstHitMs);
        count.push_back(run.countMs);
        block.push_back(run.longestBlockMs);
        shown = w.findBar()->status()->text();
        std::printf("%s: first hit %.1f ms, counted %.1f ms, longest block %.1f ms, \"%s\"\n", what, run.firstHitMs,
                    run.countMs, run.longestBlockMs, qPrintable(shown));
    }
    std::fflush(stdout);
    const bool right = shown == status;
    bench::printFigure(std::string("Find, 1M lines, ") + what + ": first hit selected (median of 5)",
                       bench::fixed(bench::median(first), 1, "ms"), "<= 50 ms",
                       right ? bench::within(bench::median(first), 50) : bench::Verdict::Missed);
    bench::printFigure(std::string("Find, 1M lines, ") + what + ": every hit counted (median of 5)",
                       bench::fixed(bench::median(count), 1, "ms") + " (\"" + shown.toStdString() + "\")",
                       "<= 300 ms, \"" + status.toStdString() + "\"",
                       right ? bench::within(bench::median(count), 300) : bench::Verdict::Missed);
    bench::printFigure(std::string("Find, 1M lines, ") + what + ": longest event-loop block, worst of 5",
                       bench::fixed(bench::maximum(block), 1, "ms"), "<= 30 ms",
                       bench::within(bench::maximum(block), 30));
}

void reportInspector()
{
    QByteArray bytes(65'536, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    std::vector<double> samples;
    for (int i = 0; i < runCount; ++i) {
        QElapsedTimer clock;
        clock.start();
        auto *inspector = new LineInspector(bytes, QDateTime::currentMSecsSinceEpoch(), QStringLiteral("Antworten"), 0);
        inspector->show();
        const bool exposed = QTest::qWaitForWindowExposed(inspector);
        // The first paint of the dump is part of opening it.
        inspector->grab();
        samples.push_back(double(clock.nsecsElapsed()) / 1e6);
        std::printf("Inspector, 64 KiB: %.1f ms%s\n", samples.back(), exposed ? "" : " (not exposed)");
        inspector->close();
        QCoreApplication::processEvents();
    }
    std::fflush(stdout);
    bench::printFigure("Line inspector: opening a 64 KiB line (median of 5)", bench::fixed(bench::median(samples), 1, "ms"),
                       "<= 100 ms", bench::within(bench::median(samples), 100));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MainWindow w;
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowExposed(&w))
        std::printf("The window was not exposed.\n");
    // Received lines of 20 bytes, as the line view's benchmark has them.
    char line[32];
    for (int i = 0; i < lineCount; ++i) {
        std::snprintf(line, sizeof line, "SRF0 %015d", i);
        w.lbrx()->addLine(QByteArray(line, 20));
    }
    w.findBar()->open(w.lbrx());
    // One hit near the end: the search walks almost every line before it shows it.
    reportSearch(w, "one hit at line 999,000", QStringLiteral("000000000999000"), 999'000,
                 QStringLiteral("Treffer 1 von 1"));
    // A hit in every line, found at once; the count still looks at every line.
    reportSearch(w, "a hit in every line", QStringLiteral("srf0"), 0, QStringLiteral("Treffer 1 von 1.000.000"));
    // Bytes in hex: "12345" wherever the numbers hold it, counted here the plain way.
    int hits = 0;
    int firstHit = -1;
    for (int i = 0; i < lineCount; ++i) {
        if (QByteArray::number(i).contains("12345")) {
            ++hits;
            if (firstHit < 0)
                firstHit = i;
        }
    }
    w.findBar()->hexBox()->setChecked(true);
    reportSearch(w, "hex 31 32 33 34 35", QStringLiteral("31 32 33 34 35"), firstHit,
                 QStringLiteral("Treffer 1 von %1").arg(QLocale(QLocale::German, QLocale::Germany).toString(hits)));
    w.findBar()->hexBox()->setChecked(false);
    reportInspector();
    return 0;
}
