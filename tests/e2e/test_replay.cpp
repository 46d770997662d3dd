// SPDX-License-Identifier: GPL-3.0-or-later
// A recording made by the program against the simulator's hostile modes, played back by
// `rix-sim --replay` while the same presses are done again: the window shows the same records
// (the times aside). The kept recordings in recordings/ are this suite's regression tests; they
// were made by DISABLED_MakeTheKeptRecordings below, never written by hand:
//
//   build/tests/e2e/rixterm_e2e --gtest_also_run_disabled_tests --gtest_filter='KeptRecordings.*'
#include "liveunit.h"

#include "support/replaydriver.h"
#include "unit/files/recordformat.h"
#include "widgets/lineviewfilemenu.h"
#include "window/recording/recording.h"

#include "rixsim/replay/replayscript.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

#include <memory>

using namespace e2e;
using namespace testsupport;
using namespace std::chrono_literals;

namespace {

const QString recordings = QStringLiteral(RIX_RECORDINGS_DIR);

// The markers' texts of a recording.
QStringList markersOf(const QString &path)
{
    QStringList markers;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray &line : file.readAll().split('\n'))
            if (const auto record = recordformat::readRecord(line); record && record->kind == recordformat::Record::Kind::Marker)
                markers << record->text;
    return markers;
}

bool losesTheLine(const QString &path)
{
    return !markersOf(path).filter(QRegularExpression(QStringLiteral("^Verbindung unterbrochen"))).isEmpty();
}

} // namespace

class ReplayingARecording : public LiveUnit, public ::testing::WithParamInterface<const char *> {
protected:
    // Records what the window shows from now on into `path`, as the lists' menu does.
    void record(const QString &path)
    {
        program.w.lbrx()->fileMenu()->setRecordFileAsker([path](QWidget *, const QString &, const QString &, const QString &) {
            return path;
        });
        program.w.lbrx()->fileMenu()->recordAction()->trigger();
        ASSERT_TRUE(waitUntil([&] { return program.app.recording().isRunning(); }));
    }
    void stopRecording()
    {
        if (program.app.recording().isRunning())
            program.w.lbrx()->fileMenu()->stopRecordingAction()->trigger();
        ASSERT_TRUE(waitUntil([&] { return !program.app.recording().isRunning(); }));
    }
};

TEST_P(ReplayingARecording, TheSamePressesShowTheSameRecords)
{
    const QString original = recordings + QLatin1Char('/') + QString::fromLatin1(GetParam());
    const replaydriver::Session session = replaydriver::sessionOf(original);
    ASSERT_FALSE(session.presses.empty()) << original.toStdString();
    const std::vector<QByteArray> expected = replaydriver::shownRecordsOf(original);

    rixsim::TransportOptions options;
    options.replay = std::make_shared<const rixsim::ReplayScript>(rixsim::ReplayScript::load(original.toStdString()));
    ASSERT_TRUE(options.replay->problems.empty());
    startUnit(options);
    QTemporaryDir dir;
    const QString replayed = dir.filePath(QStringLiteral("wiedergabe.txt"));
    record(replayed);
    connectProgram(session.baud, session.address);
    replaydriver::play(program, session, Clock::now());

    // Everything shown once more, the line pulled where it was, and nothing after it.
    waitUntil([&] { return replaydriver::shownRecordsOf(replayed).size() >= expected.size(); }, 20s);
    if (losesTheLine(original)) {
        EXPECT_TRUE(waitUntil([&] { return losesTheLine(replayed); }, 10s)) << "the line pulled as recorded";
    }
    runEventsFor(400ms);
    stopRecording();
    QFile file(replayed);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(replaydriver::shownRecordsOf(replayed), expected) << "replayed:\n" << file.readAll().toStdString();
    EXPECT_FALSE(hasNote(sim->log(), "replay: not in the recording")) << "every press was a recorded write";
}

// One at each rate (the echo at 4800), with unasked texts, split and late answers, a text of
// several lines, a key and a typed write, and two that end with the line pulled.
INSTANTIATE_TEST_SUITE_P(Kept, ReplayingARecording, ::testing::Values("alarm4800.txt", "late19200.txt", "textlines19200.txt"));

// Makes the kept recordings: the window against the simulator in a hostile mode, the presses at
// fixed times after the unit started (whose own texts run from then), each press, its answer and
// the unit's texts at least 200 ms apart, so that a replay on a busy machine shows them alike. A
// typed command is none a button sends: the recording cannot tell the two apart, and the lists
// show a button's answer without the repeated address.
class KeptRecordings : public ReplayingARecording {
protected:
    void make(const char *name, rixsim::TransportOptions options, rixsim::Unit unit, const replaydriver::Session &session,
              std::chrono::milliseconds length)
    {
        const QString path = recordings + QLatin1Char('/') + QString::fromLatin1(name);
        QFile::remove(path);
        const auto started = Clock::now();
        startUnit(std::move(options), std::move(unit));
        record(path);
        connectProgram(session.baud, session.address);
        replaydriver::play(program, session, started);
        const auto left = length - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        if (left.count() > 0)
            runEventsFor(left);
        stopRecording();
        std::printf("[recording] %s\n", qPrintable(path));
    }
};

using Press = replaydriver::Press;
using Kind = replaydriver::Press::Kind;

TEST_F(KeptRecordings, DISABLED_AnAlarmingUnitAt4800)
{
    rixsim::TransportOptions options;
    options.sendEvery = 1500ms;
    options.sendEveryText = "\x1b[1mALARM\x07\r\n";
    options.hangupAfter = 6500ms;
    make("alarm4800.txt", options, rixsim::Unit(true),
         {QStringLiteral("4800"), QStringLiteral("S"),
          {{Kind::Click, 300, QStringLiteral("cmdF0"), {}},
           {Kind::Typed, 1800, QStringLiteral("cmdSendentx"), QStringLiteral("$RSPF30E30")},
           {Kind::KeyDown, 3300, QStringLiteral("cmdTR1"), {}},
           {Kind::KeyUp, 3900, QStringLiteral("cmdTR1"), {}},
           {Kind::Click, 4800, QStringLiteral("cmdVersion"), {}}}},
         7000ms);
}

TEST_F(KeptRecordings, DISABLED_LateAndSplitAnswersAt19200)
{
    rixsim::TransportOptions options;
    options.answerDelay = 30ms;
    options.splitGap = 40ms;
    rixsim::Unit late;
    late.setLateAnswers(true);
    make("late19200.txt", options, late,
         {QStringLiteral("19200"), QStringLiteral("S"),
          {{Kind::Click, 300, QStringLiteral("cmdF0"), {}},
           {Kind::Click, 800, QStringLiteral("cmdF1"), {}},
           {Kind::Click, 1300, QStringLiteral("cmdF5"), {}},
           {Kind::Click, 1800, QStringLiteral("cmdVersion"), {}},
           {Kind::Typed, 2400, QStringLiteral("cmdSendentx"), QStringLiteral("$RSPF61010")}}},
         3200ms);
}

TEST_F(KeptRecordings, DISABLED_AUnitThatReportsLineByLineAt19200)
{
    rixsim::TransportOptions options;
    options.textLines = {4, 60ms, 1500ms};
    options.hangupAfter = 4200ms;
    make("textlines19200.txt", options, rixsim::Unit(),
         {QStringLiteral("19200"), QStringLiteral("S"),
          {{Kind::Click, 700, QStringLiteral("cmdF0"), {}},
           {Kind::KeyDown, 1900, QStringLiteral("cmdTR2"), {}},
           {Kind::KeyUp, 2400, QStringLiteral("cmdTR2"), {}},
           {Kind::Click, 3500, QStringLiteral("cmdF3"), {}}}},
         5000ms);
}
