// SPDX-License-Identifier: GPL-3.0-or-later
// A recording of a million records on its own, in a fresh process: the memory it keeps (the
// resident high-water mark before and after) and the time, each record written on its own as
// each shown burst is, together with the command written before it and the bytes received
// for it, as a session's answers are.

#include "support/figures.h"
#include "support/process.h"
#include "window/recording/recording.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication qtApp(argc, argv);
    QTemporaryDir dir;
    Recording recording;
    recording.onFailure([] {});
    QString reason;
    if (!recording.start(dir.filePath(QStringLiteral("million.txt")), QStringLiteral("Mitschnitt begonnen"), &reason)) {
        std::fprintf(stderr, "bench_recording: %s\n", qPrintable(reason));
        return 1;
    }
    const std::string command = "$RSRF0";
    const QByteArray written = QByteArray::fromStdString(command);
    const std::string answer = "SRF0F011 0123456789";
    const QByteArray received = QByteArray::fromStdString(answer) + "\r\n";
    const long before = bench::statusKiB("VmHWM");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1'000'000; ++i) {
        recording.lineWriting(written);
        recording.lineRead(received);
        recording.addRecord(1796663631123 + qint64(i) * 20, command, answer);
        recording.writeRecords();
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double grownMiB = double(bench::statusKiB("VmHWM") - before) / 1024.0;
    recording.stop(QStringLiteral("Mitschnitt beendet"));
    const bool ok = !recording.takeFailure().has_value();
    std::fprintf(stderr, "recording 1M records: %.0f ms, high-water mark %ld KiB before, grown by %.2f MiB, %s\n", ms,
                 before, grownMiB, ok ? "file closed" : "FAILED");
    bench::printFigure("Recording 1M records, each with its write and its received bytes: memory grown (resident high-water mark)",
                       ok ? bench::fixed(grownMiB, 2, "MiB") : std::string("failed"), "<= 1 MiB",
                       ok ? bench::within(grownMiB, 1.0) : bench::Verdict::Missed);
    bench::printFigure("Recording 1M records, each with its write and its received bytes: time, each burst written on its own", bench::fixed(ms, 0, "ms"), "-",
                       bench::Verdict::None);
    return ok ? 0 : 1;
}
