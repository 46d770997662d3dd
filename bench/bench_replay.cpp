// SPDX-License-Identifier: GPL-3.0-or-later
// The replay's timing at 19200. A session recorded against the simulator (a unit that sends its
// status every 2 s on its own and answers every command), then played back by `--replay` while
// the same presses are done again and a second recording runs. Each burst's offset in the
// second recording against its offset in the first: an answer's from its write, an unasked
// text's from the connect.

#include "support/figures.h"
#include "support/liveprogram.h"
#include "support/replaydriver.h"
#include "support/stats.h"
#include "support/waiting.h"
#include "widgets/lineviewfilemenu.h"
#include "window/recording/recording.h"

#include "rixsim/backgroundsimulator.h"
#include "rixsim/replay/replayscript.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using replaydriver::Press;

namespace {

constexpr int periods = 10;

// Runs the program against `sim`, recording into `path`, doing the session's presses.
void session(rixsim::BackgroundSimulator &sim, const QString &path, const replaydriver::Session &presses,
             std::size_t recordsToWaitFor)
{
    LiveProgram program;
    program.w.lbrx()->fileMenu()->setRecordFileAsker([path](QWidget *, const QString &, const QString &, const QString &) {
        return path;
    });
    program.w.lbrx()->fileMenu()->recordAction()->trigger();
    testsupport::waitUntil([&] { return program.app.recording().isRunning(); });
    program.connectTo(QString::fromStdString(sim.path()), presses.baud, presses.address);
    replaydriver::play(program, presses, std::chrono::steady_clock::now());
    testsupport::waitUntil([&] { return replaydriver::shownRecordsOf(path).size() >= recordsToWaitFor; }, 10s);
    testsupport::runEventsFor(300ms);
    program.w.lbrx()->fileMenu()->stopRecordingAction()->trigger();
    testsupport::waitUntil([&] { return !program.app.recording().isRunning(); });
}

rixsim::ReplayScript scriptOf(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return rixsim::ReplayScript::fromRecording(file.readAll().toStdString());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("feld.txt"));
    const QString replayed = dir.filePath(QStringLiteral("werkstatt.txt"));

    // Two commands in each period of the status, their answers over more than a second before
    // the next status, so that it reads as unasked.
    replaydriver::Session presses{QStringLiteral("19200"), QStringLiteral("S"), {}};
    const char *buttons[] = {"cmdF0", "cmdF1", "cmdF2", "cmdF3", "cmdF4", "cmdF5", "cmdF6", "cmdVersion"};
    for (int k = 0; k < periods; ++k) {
        presses.presses.push_back({Press::Kind::Click, 2000 * k + 300, QString::fromLatin1(buttons[(2 * k) % 8]), {}});
        presses.presses.push_back({Press::Kind::Click, 2000 * k + 600, QString::fromLatin1(buttons[(2 * k + 1) % 8]), {}});
    }
    {
        rixsim::TransportOptions options;
        options.sendEvery = 2000ms;
        options.sendEveryText = "STATUS 12 KANAL 3 OK\r\n";
        rixsim::BackgroundSimulator sim(options);
        session(sim, original, presses, std::size_t(3 * periods - 1));
    }
    const std::vector<QByteArray> shown = replaydriver::shownRecordsOf(original);
    {
        rixsim::TransportOptions options;
        options.replay = std::make_shared<const rixsim::ReplayScript>(scriptOf(original));
        rixsim::BackgroundSimulator sim(options);
        session(sim, replayed, replaydriver::sessionOf(original), shown.size());
    }

    const rixsim::ReplayScript was = scriptOf(original);
    const rixsim::ReplayScript again = scriptOf(replayed);
    std::vector<double> errors;
    bool paired = was.writes.size() == again.writes.size() && !was.connections.empty() && !again.connections.empty()
                  && was.connections[0].unasked.size() == again.connections[0].unasked.size();
    for (std::size_t j = 0; paired && j < was.writes.size(); ++j) {
        paired = was.writes[j].answer.size() == again.writes[j].answer.size();
        for (std::size_t k = 0; paired && k < was.writes[j].answer.size(); ++k) {
            errors.push_back(std::fabs(double((again.writes[j].answer[k].at - was.writes[j].answer[k].at).count())));
            std::printf("write %zu, burst %zu: recorded %lld ms after it, again %lld ms\n", j, k,
                        static_cast<long long>(was.writes[j].answer[k].at.count()),
                        static_cast<long long>(again.writes[j].answer[k].at.count()));
        }
    }
    for (std::size_t k = 0; paired && k < was.connections[0].unasked.size(); ++k) {
        const double error = std::fabs(double((again.connections[0].unasked[k].at - was.connections[0].unasked[k].at).count()));
        std::printf("unasked %zu: recorded at %lld ms, again at %lld ms\n", k,
                    static_cast<long long>(was.connections[0].unasked[k].at.count()),
                    static_cast<long long>(again.connections[0].unasked[k].at.count()));
        errors.push_back(error);
    }
    const bool same = replaydriver::shownRecordsOf(replayed) == shown;
    std::printf("%zu bursts paired%s; shown records %s\n", errors.size(), paired ? "" : " (NOT all: the recordings differ)",
                same ? "the same" : "DIFFER");
    bench::printFigure("Replay at 19200: a burst against its recorded offset (median of " + std::to_string(errors.size()) + ")",
                       bench::fixed(bench::median(errors), 1, "ms") + " (worst " + bench::fixed(bench::maximum(errors), 0, "ms")
                           + ")",
                       "<= 5 ms", paired && same ? bench::within(bench::median(errors), 5) : bench::Verdict::Missed);
    return 0;
}
