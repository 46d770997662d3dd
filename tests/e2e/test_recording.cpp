// SPDX-License-Identifier: GPL-3.0-or-later
// The recording against the simulated unit: the built program started where the technician
// is (--port, --connect, --log) and killed with SIGKILL, and a whole session with a pulled line
// and "Warten und neu verbinden" as the file holds it.
#include "liveunit.h"

#include "support/filelines.h"
#include "support/childprocess.h"
#include "unit/line/qtserialchannel.h"
#include "unit/files/recordformat.h"
#include "unit/files/recordingfile.h"
#include "widgets/lineviewfilemenu.h"
#include "window/recording/recording.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>

using namespace e2e;
using namespace testsupport;
using namespace std::chrono_literals;

namespace {

// The file's lines of one kind, read back.
std::vector<recordformat::Record> linesOf(const QString &path, recordformat::Record::Kind kind)
{
    std::vector<recordformat::Record> records;
    for (const QByteArray &line : fileLines(path))
        if (const auto record = recordformat::readRecord(line); record && record->kind == kind)
            records.push_back(*record);
    return records;
}

std::vector<recordformat::Record> recordsOf(const QString &path)
{
    return linesOf(path, recordformat::Record::Kind::Shown);
}

// The markers' texts.
QStringList markersOf(const QString &path)
{
    QStringList markers;
    for (const recordformat::Record &marker : linesOf(path, recordformat::Record::Kind::Marker))
        markers << marker.text;
    return markers;
}

bool fileHas(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
}

} // namespace

class RecordingASession : public LiveUnit {};

// SIGKILL loses nothing that was shown: each record went to the system as it was shown, not
// after a buffer filled or a timer ran (the flush to the disk waits up to 2 s, and the kill
// comes sooner).
TEST_F(RecordingASession, TheBuiltProgramConnectsAtStartAndAKillLeavesEveryShownRecord)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    startUnit();
    rixsim::testing::ChildProcess term(RIX_TERM_PROGRAM,
                                       {"--port", sim->path(), "--connect", "--log", path.toStdString()});
    ASSERT_TRUE(waitUntil([&] { return fileHas(path, "Verbunden: (S) " + QByteArray::fromStdString(sim->path())
                                                         + ":19200,n,8,1\n"); }, 20s))
        << "rix-term --connect did not connect; its output: " << term.readAllStderr();

    constexpr int lineCount = 25;
    for (int i = 0; i < lineCount; ++i) {
        sim->sendUnasked("Zeile " + std::to_string(i) + "\r\n");
        // Each text a burst of its own, however loaded the machine: the next is sent once this
        // one is shown, which puts its record into the file.
        ASSERT_TRUE(waitUntil([&] { return int(recordsOf(path).size()) > i; }, 10s)) << "text " << i << " not shown";
    }
    const auto lastShown = Clock::now();
    term.signal(SIGKILL);
    EXPECT_FALSE(term.waitForExit(10s).has_value()) << "killed, not ended";
    std::printf("[figure] last text shown to SIGKILL: %.0f ms\n", millisecondsBetween(lastShown, Clock::now()));

    const std::vector<recordformat::Record> records = recordsOf(path);
    ASSERT_EQ(records.size(), std::size_t(lineCount));
    for (int i = 0; i < lineCount; ++i) {
        EXPECT_EQ(records[std::size_t(i)].answer, "Zeile " + QByteArray::number(i));
        EXPECT_EQ(records[std::size_t(i)].commandLine, "");
    }
    const QStringList markers = markersOf(path);
    ASSERT_EQ(markers.size(), 2) << markers.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(markers[0].startsWith(QStringLiteral("Mitschnitt begonnen (rix-term ")));
    EXPECT_EQ(linesOf(path, recordformat::Record::Kind::Received).size(), std::size_t(lineCount)) << "each text as it came";
    EXPECT_EQ(fileLines(path).size(), 2 * lineCount + 2);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith('\n')) << "no half line";
}

// Connect, F0 … F6, the adapter pulled, "Warten und neu verbinden", F0 again: the file tells it.
TEST_F(RecordingASession, ASessionWithAPulledLineReadsAsItHappened)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    const QString link = dir.filePath(QStringLiteral("unit"));
    rixsim::TransportOptions options;
    options.hangupAfter = 5s;
    startUnit(options);
    ASSERT_TRUE(QFile::link(unitPath(), link));

    program.w.lbrx()->fileMenu()->setRecordFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    program.w.lbrx()->fileMenu()->recordAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return program.app.recording().isRunning(); }));
    program.connectTo(link);
    ASSERT_TRUE(program.connected());
    int answers = 0;
    for (QWidget *button : {program.w.cmdF0(), program.w.cmdF1(), program.w.cmdF2(), program.w.cmdF3(),
                            program.w.cmdF4(), program.w.cmdF5(), program.w.cmdF6()}) {
        program.click(button);
        ASSERT_TRUE(listHas(program.w.lbrx(), ++answers));   // as a technician reads each answer
    }

    program.box.waitForThePort = true;
    program.box.waitTries = 50;
    program.box.beforeTry = [&](int attempt) {
        if (attempt != 3)
            return;
        startUnit();   // the adapter is back, under the same name
        QFile::remove(link);
        QFile::link(unitPath(), link);
    };
    ASSERT_TRUE(waitUntil([&] { return program.box.texts.size() >= 2 && program.connected(); }, 20s));
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 8));
    program.w.lbrx()->fileMenu()->stopRecordingAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return !program.app.recording().isRunning(); }));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    std::printf("[recording] %s as the file holds it:\n%s", qPrintable(path), content.constData());

    const QString settings = QStringLiteral("(S) ") + link + QStringLiteral(":19200,n,8,1");
    const QStringList markers = markersOf(path);
    ASSERT_EQ(markers.size(), 5) << markers.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(markers[0].endsWith(QStringLiteral("), nicht verbunden")));
    EXPECT_EQ(markers[1], QStringLiteral("Verbunden: ") + settings);
    EXPECT_TRUE(markers[2].startsWith(QStringLiteral("Verbindung unterbrochen (Fehler 1002): ")))
        << markers[2].toStdString();
    EXPECT_TRUE(markers[2].contains(link)) << "the error names the port";
    EXPECT_EQ(markers[3], QStringLiteral("Wieder verbunden: ") + settings);
    EXPECT_EQ(markers[4], QStringLiteral("Mitschnitt beendet"));

    std::vector<std::pair<QByteArray, QByteArray>> shown;
    for (const recordformat::Record &record : recordsOf(path))
        shown.emplace_back(record.commandLine, record.answer);
    EXPECT_EQ(shown, (std::vector<std::pair<QByteArray, QByteArray>>{
                         {"$RSRF0", "F011"}, {"$RSRF1", "0A00"}, {"$RSRF2", "1212"}, {"$RSRF3", "0E28"},
                         {"$RSRF4", "0E0E"}, {"$RSRF5", "64C8"}, {"$RSRF6", "1010"}, {"$RSRF0", "F011"}}));
    // In the order it happened: each command, its answer as it came and its lines, seven
    // before the loss, the last after the reconnect.
    const QList<QByteArray> lines = fileLines(path);
    ASSERT_EQ(lines.size(), 29);
    EXPECT_TRUE(lines[2].startsWith("> ") && lines[2].endsWith("\t$RSRF0")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("< ") && lines[3].endsWith("\tSRF0F011\\r\\n")) << lines[3].toStdString();
    EXPECT_TRUE(lines[23].startsWith("# ") && lines[24].startsWith("# ") && lines[25].startsWith("> ")
                && lines[27].startsWith(QByteArray(lines[0]).mid(2, 4)));
}

// SIGTERM ends the built program as closing its window does: the recording's end names the
// signal, nothing more reaches the unit, the port is free at once, and the program ends by
// the signal. A second program cannot record into the same file, and what the unit sent is in
// the file as it came (its CR and LF too), beside the line the list cut from it.
TEST_F(RecordingASession, SigtermEndsItWithItsEndMarkerAndWhatCameWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    const QString silent = dir.filePath(QStringLiteral("silent.txt"));
    startUnit({}, true);
    // A second program recording into the same file is refused by the lock.
    rixsim::testing::ChildProcess term(RIX_TERM_PROGRAM, {"--port", sim->path(), "--baud", "4800", "--address", "3",
                                                         "--connect", "--log", path.toStdString()});
    ASSERT_TRUE(waitUntil([&] { return fileHas(path, ":4800,n,8,1\n"); }, 20s)) << term.readAllStderr();
    {
        RecordingFile second(path);
        EXPECT_FALSE(second.open());
        EXPECT_TRUE(second.errorText().contains(QStringLiteral("gesperrt")));
    }
    // The unit sends unasked; the program's recording has it whole.
    sim->sendUnasked("$R3RF0\r\nmitte\rCR\nLF");
    ASSERT_TRUE(waitUntil([&] { return !recordsOf(path).empty(); }, 10s));

    term.signal(SIGTERM);
    EXPECT_FALSE(term.waitForExit(20s).has_value()) << "ended by the signal, not with an exit code";
    EXPECT_EQ(term.endSignal(), SIGTERM);
    const QStringList markers = markersOf(path);
    ASSERT_FALSE(markers.isEmpty());
    EXPECT_EQ(markers.last(), QStringLiteral("Mitschnitt beendet: Programm durch Signal SIGTERM beendet"));
    const auto received = linesOf(path, recordformat::Record::Kind::Received);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, "$R3RF0\r\nmitte\rCR\nLF");
    const auto shown = recordsOf(path);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].answer, "$R3RF0mitteCRLF") << "the list's cut, beside the whole";
    EXPECT_LE(received[0].time, shown[0].time);
    EXPECT_TRUE(linesOf(path, recordformat::Record::Kind::Sent).empty()) << "nothing written";

    // The port is free: the same unit is reached at once.
    QtSerialChannel other;
    EXPECT_NO_THROW(other.open(PortSettings{unitPath(), QStringLiteral("4800")}));
}

TEST_F(RecordingASession, ACommandToASilentUnitIsInTheFileAsUnanswered)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    startUnit({}, true);
    program.w.lbrx()->fileMenu()->setRecordFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    program.w.lbrx()->fileMenu()->recordAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return program.app.recording().isRunning(); }));
    connectProgram(QStringLiteral("4800"), QStringLiteral("3"));
    program.click(program.w.cmdF0());   // the unit's address is F, not 3: no answer
    ASSERT_TRUE(unitReceived(1));
    runEventsFor(300ms);
    program.click(program.w.cmdAUS());
    connectProgram(QStringLiteral("4800"), QStringLiteral("S"));
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    program.w.lbrx()->fileMenu()->stopRecordingAction()->trigger();
    ASSERT_TRUE(waitUntil([&] { return !program.app.recording().isRunning(); }));

    const QStringList markers = markersOf(path);
    EXPECT_EQ(markers.filter(QRegularExpression(QStringLiteral("^Keine Antwort auf „\\$R3RF0“ \\(gesendet [0-9:.]+\\) "
                                                               "vor dem nächsten Senden$"))).size(), 1)
        << markers.join(QLatin1Char('\n')).toStdString();
    const auto sent = linesOf(path, recordformat::Record::Kind::Sent);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].bytes, "$R3RF0");
    EXPECT_EQ(sent[1].bytes, "$RSQ");
    EXPECT_EQ(sent[2].bytes, "$RSRF0");
    // What the unit sent back in „Trennen“'s pause (its echo at 4800) is on record, though
    // the port closes without showing it.
    const auto received = linesOf(path, recordformat::Record::Kind::Received);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(received[0].bytes.startsWith("$RSQ")) << received[0].bytes.toStdString();
    EXPECT_EQ(received[1].bytes, "$RSRF0SRF0F011\r\n") << "the echo at 4800, the answer, its CR LF";
    EXPECT_TRUE(markers.filter(QStringLiteral("„$RSQ“")).isEmpty()) << "the unit did answer the disconnect";
    const auto shown = recordsOf(path);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].answer, "F011");
}
