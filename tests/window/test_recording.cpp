// SPDX-License-Identifier: GPL-3.0-or-later
// The recording ("Mitschnitt") in the whole program on the fakes: a record per shown burst,
// markers for what happened to the connection, each record in the file before its line is
// painted, and a file that fails stopped with the reason while everything else goes on.
#include "support/filelines.h"
#include "support/filesizelimit.h"
#include "support/harness.h"
#include "support/waiting.h"
#include "unit/files/recordformat.h"
#include "widgets/lineviewfilemenu.h"
#include "window/app/signalend.h"
#include "window/recording/recording.h"
#include "window/recording/recordinghandlers.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <functional>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A line without its time: "# text" for a marker, "> bytes" and "< bytes" for the line's bytes,
// "command<TAB>answer" (or "command" when the answer list got no line) for a record; the rest
// exactly as the file holds it (a raw control byte or a lower-case escape would show), and the
// time a marker names as "T".
QString withoutTime(const QByteArray &line)
{
    static const QRegularExpression timed(
        QStringLiteral("^([<>] |# |)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}([\\t ])(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QString text = QString::fromUtf8(line);
    const QRegularExpressionMatch match = timed.match(text);
    const QString mark = match.captured(1);
    if (!recordformat::readRecord(line) || !match.hasMatch() || (match.captured(2) == QLatin1String(" ")) != (mark == QLatin1String("# ")))
        return QStringLiteral("<kein Eintrag: %1>").arg(text);
    QString rest = match.captured(3);
    if (mark == QLatin1String("# "))
        rest.replace(QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d")), QStringLiteral("T"));
    return mark + rest;
}

QStringList linesWithoutTime(const QString &path)
{
    QStringList lines;
    for (const QByteArray &line : fileLines(path))
        lines << withoutTime(line);
    return lines;
}

// The shown records: lines that start with the date.
int recordsIn(const QString &path)
{
    int records = 0;
    for (const QByteArray &line : fileLines(path)) {
        const auto record = recordformat::readRecord(line);
        records += record && record->kind == recordformat::Record::Kind::Shown ? 1 : 0;
    }
    return records;
}

// "Mitschnitt in Datei …" with `path` chosen in the dialog.
void startRecording(Harness &h, const QString &path)
{
    h.w.lbrx()->fileMenu()->setRecordFileAsker([path](QWidget *, const QString &, const QString &, const QString &) { return path; });
    h.w.lbrx()->fileMenu()->askRecordingFile();
}

// "Mitschnitt beenden" from the command list's menu.
void stopRecording(Harness &h)
{
    h.w.lb2()->fileMenu()->stopRecordingAction()->trigger();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !h.app.recording().isRunning(); }));
}

// The unit sends `text` unasked; the poll shows it as one burst.
void unitSends(Harness &h, const QByteArray &text)
{
    h.channel.receive(text);
    h.tick();
}

} // namespace

TEST(Recording, RecordsEachShownBurstBetweenMarkersForConnectDisconnectLossAndReconnect)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    ASSERT_TRUE(h.app.recording().isRunning());
    EXPECT_EQ(h.w.lb2()->fileMenu()->recordingFile(), path);
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), path);

    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    unitSends(h, "SRF0F011\r\n");
    unitSends(h, "   ");   // a blank answer: a line in lb2 only, and a record without an answer line
    h.click(h.w.cmdAUS());
    h.connectWith("COM1", "19200", "S");
    h.box.waitForThePort = true;
    h.box.waitTries = 1;
    h.channel.hangUp();
    h.tick();
    ASSERT_TRUE(h.channel.isOpen()) << "connected again after waiting";
    stopRecording(h);

    const QStringList lines = linesWithoutTime(path);
    ASSERT_EQ(lines.size(), 14) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^# Mitschnitt begonnen \\(rix-term \\d+\\.\\d+\\.\\d+\\), nicht verbunden$"))
                    .match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1), (QStringList{
        "# Verbunden: (S) COM1:19200,n,8,1",
        "> $RSRF0",
        "< SRF0F011\\r\\n",
        "$RSRF0\tF011",
        "<    ",
        "$RSRF0",
        "> $RSQ",
        "# Keine Antwort auf „$RSQ“ (gesendet T) vor dem Schließen der Schnittstelle",
        "# Getrennt",
        "# Verbunden: (S) COM1:19200,n,8,1",
        "# Verbindung unterbrochen (Fehler 1002): hung up",
        "# Wieder verbunden: (S) COM1:19200,n,8,1",
        "# Mitschnitt beendet"}));
    // The record carries the time its lines were shown with.
    QByteArray shownAt;
    recordformat::TimeStamp time;
    time.append(shownAt, h.w.lbrx()->lineTime(0));
    EXPECT_TRUE(fileLines(path)[4].startsWith(shownAt + '\t')) << fileLines(path)[4].toStdString();
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), QString());
    ASSERT_EQ(h.box.texts.size(), 2u) << "only the lost line's boxes";
    EXPECT_EQ(h.box.texts[0], QStringLiteral("Die Verbindung zu COM1 ist unterbrochen (Fehler 1002)."));
}

TEST(Recording, EveryRecordIsInTheFileBeforeItsLineIsPainted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.showWindow();
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");

    // At every paint of the answer list, the file already holds a record for each of its lines.
    int paints = 0;
    int behind = 0;
    struct PaintWatch : QObject {
        std::function<void()> painted;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted();
            return false;
        }
    } watch;
    watch.painted = [&] {
        ++paints;
        if (recordsIn(path) < h.w.lbrx()->count())
            ++behind;
    };
    h.w.lbrx()->viewport()->installEventFilter(&watch);
    for (int i = 0; i < 20; ++i) {
        // Short texts, shown when the line is quiet, and pieces of a text without a pause, shown
        // as the bytes arrive; the bytes reported through a posted event, as the real port does.
        if (i % 2 == 0)
            h.channel.receive("Z" + QByteArray::number(i));
        else
            h.channel.receiveWithoutGap(QByteArray(65536, char('A' + i)));
        QMetaObject::invokeMethod(&h.w, [&] { h.channel.notifyArrival(); }, Qt::QueuedConnection);
        ASSERT_TRUE(testsupport::waitUntil([&] { return h.w.lbrx()->count() == i + 1 && paints > i; }))
            << "line " << i << ", paints " << paints;
    }
    h.w.lbrx()->viewport()->removeEventFilter(&watch);
    EXPECT_EQ(behind, 0) << "of " << paints << " paints";
    EXPECT_EQ(recordsIn(path), 20);
}

TEST(Recording, AFailureWhileATrKeyIsHeldIsReportedAfterTheReleaseWentOut)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.showWindow();
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    {
        // Not one more byte fits: the press's own line fails the recording.
        const testsupport::FileSizeLimit fullDisk(QFile(path).size());
        h.press(h.w.cmdTR1());
        QCoreApplication::processEvents();
        EXPECT_FALSE(h.app.recording().isRunning());
        EXPECT_TRUE(h.box.texts.empty()) << "a box now would swallow the key's mouse-up";
        h.release(h.w.cmdTR1());
    }
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
    EXPECT_FALSE(h.state.keyHeld);
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_TRUE(h.box.texts[0].startsWith(QStringLiteral("Der Mitschnitt in „%1“ wurde beendet").arg(path)));
}

TEST(Recording, AnEndThatCannotBeWrittenAtTheProgramsEndIsSaidNotPassedOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    unitSends(h, "Z0001");
    QCoreApplication::processEvents();
    const testsupport::FileSizeLimit fullDisk(QFile(path).size());
    EXPECT_EQ(recordEndedWithProgram(h.p).toStdString(),
              QStringLiteral("rix-term: Der Mitschnitt in „%1“ ist unvollständig: Die Datei wird zu groß. "
                             "2 Einträge dieses Mitschnitts stehen vollständig in der Datei.")
                  .arg(path).toStdString());
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_EQ(recordEndedWithProgram(h.p), QString()) << "said once";
}

TEST(Recording, AWriteThatFailsStopsItWithTheReasonWhileTheListsAndTheLineGoOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    const qint64 before = QFile(path).size();
    {
        // Room for three bursts and a part of the fourth: each a line of its bytes,
        // 2 + 23 + 1 + 5 + 1 = 32, and a record, 23 + 1 + 0 + 1 + 5 + 1 = 31 bytes.
        const testsupport::FileSizeLimit fullDisk(before + 3 * 63 + 10);
        for (int i = 0; i < 5; ++i) {
            unitSends(h, "Z000" + QByteArray::number(i));
            QCoreApplication::processEvents();
        }
    }
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0],
              QStringLiteral("Der Mitschnitt in „%1“ wurde beendet, weil die Datei nicht geschrieben werden konnte.\r"
                             "Grund: Die Datei wird zu groß.\r"
                             "6 Einträge dieses Mitschnitts stehen vollständig in der Datei.\r"
                             "Verbindung und Listen laufen weiter.")
                  .arg(path));
    EXPECT_EQ(recordsIn(path), 3);
    EXPECT_EQ(QFile(path).size(), before + 3 * 63) << "no half record at the end";
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), QString());
    EXPECT_EQ(h.w.lb2()->fileMenu()->recordingFile(), QString());
    EXPECT_EQ(h.w.windowTitle(), QStringLiteral("RIX-TERM"));

    // Everything else goes on: the lists, the line, the program.
    unitSends(h, "danach");
    QCoreApplication::processEvents();
    EXPECT_EQ(h.w.lbrx()->count(), 6);
    EXPECT_EQ(h.w.lbrx()->lineBytes(5), "danach");
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.conversation.isPolling());
    EXPECT_EQ(recordsIn(path), 3);
    EXPECT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.end.ends, 0);
}

TEST(Recording, AFileThatCannotBeRecordedIntoSaysWhyAndChangesNothingElse)
{
    QTemporaryDir dir;
    Harness h;
    h.connectWith("COM1", "19200", "S");
    startRecording(h, dir.path());
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], QStringLiteral("Der Mitschnitt in „%1“ kann nicht beginnen.\r"
                                             "Grund: Das Ziel ist ein Ordner, keine gewöhnliche Datei. Gespeichert "
                                             "wird nur in eine gewöhnliche Datei oder unter einem neuen Namen; das "
                                             "Ziel bleibt unverändert.")
                                  .arg(QDir::toNativeSeparators(dir.path())));
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), QString());
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.conversation.isPolling());

    // Started while connected, a recording says so in its first line.
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    startRecording(h, path);
    ASSERT_EQ(linesWithoutTime(path).size(), 1);
    EXPECT_TRUE(linesWithoutTime(path)[0].endsWith(QStringLiteral("), verbunden: (S) COM1:19200,n,8,1"))) << linesWithoutTime(path)[0].toStdString();
}

// What was on the line is in the file beside what the lists show: each write as it went out,
// each burst whole (the echo, the repeated address and the CR LF the lists cut), a write that
// got nothing back, a write that failed, and an empty answer line told from none.
TEST(Recording, HoldsTheLineItselfBesideTheShownLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.connectWith("COM1", "4800", "S");
    startRecording(h, path);

    h.click(h.w.cmdF0());
    unitSends(h, "$RSRF0SRF0F011\r\n");   // at 4800 the unit sends the command back first
    h.click(h.w.cmdVersion());             // the unit stays silent
    h.click(h.w.cmdTR1());                 // the release goes out at the mouse-up
    unitSends(h, "$RSEA");                 // only the echo: no answer line
    h.click(h.w.cmdF1());
    unitSends(h, "\x1b[0mSRF1 0A00\x07");  // unasked control bytes
    h.channel.failWriteWith = 5;
    h.click(h.w.cmdF2());

    const QStringList lines = linesWithoutTime(path);
    ASSERT_GE(lines.size(), 15) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines.mid(1, 14), (QStringList{
        "> $RSRF0",
        "< $RSRF0SRF0F011\\r\\n",
        "$RSRF0\tF011",
        "> $RSV",
        "# Keine Antwort auf „$RSV“ (gesendet T) vor dem nächsten Senden",
        "> $RSE1",
        "# Keine Antwort auf „$RSE1“ (gesendet T) vor dem nächsten Senden",
        "> $RSEA",
        "< $RSEA",
        "$RSEA",
        "> $RSRF1",
        "< \\x1B[0mSRF1 0A00\\x07",
        "$RSRF1\tA00\\x07",   // the display rule's cut of an unexpected text
        "> $RSRF2"}))
        << lines.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(lines.size(), 16);
    EXPECT_EQ(lines[15], QStringLiteral("# Senden fehlgeschlagen: (Fehler 5) write failed"));
}

TEST(Recording, WhatTheUnitSendsInTheDisconnectPauseIsOnRecordNotShownAndOnlySilenceIsUnanswered)
{
    const std::vector<std::pair<QByteArray, QStringList>> rows = {
        {"$RSQ\r\n", {"> $RSQ", "< $RSQ\\r\\n", "# Getrennt"}},
        {"", {"> $RSQ", "# Keine Antwort auf „$RSQ“ (gesendet T) vor dem Schließen der Schnittstelle", "# Getrennt"}},
    };
    for (const auto &[unitSendsInThePause, expected] : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
        Harness h;
        h.connectWith("COM1", "19200", "S");
        startRecording(h, path);
        h.pause.during = [&h, bytes = unitSendsInThePause](int) {
            if (!bytes.isEmpty())
                h.channel.holdInSystem(bytes);
        };
        h.click(h.w.cmdAUS());
        EXPECT_EQ(h.w.lbrx()->count(), 0) << "the port closes without showing";
        EXPECT_EQ(h.w.lb2()->count(), 0);
        const QStringList lines = linesWithoutTime(path);
        ASSERT_GE(lines.size(), 4) << lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(lines.mid(1, expected.size()), expected) << lines.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(Recording, SaysWhenTheUnitsTextWasCutForACommand)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.connectWith("COM1", "19200", "S");
    startRecording(h, path);
    // The unit sends without a pause (the clock stands still) and is at a line end.
    std::chrono::steady_clock::time_point frozen{};
    h.conversation.setClock([&frozen] { return frozen; });
    h.channel.receiveWithoutGap("STATUS 1\r\n");
    h.channel.notifyArrival();
    h.click(h.w.cmdF0());
    const QStringList lines = linesWithoutTime(path);
    const QRegularExpression cut(QStringLiteral("^# Text der Einheit für einen Befehl am Zeilenende geteilt "
                                                "\\(keine Pause seit \\d+ ms\\)$"));
    const int at = int(lines.indexOf(cut));
    ASSERT_GE(at, 0) << lines.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(lines.size(), at + 3);
    EXPECT_EQ(lines.mid(at - 1, 4), (QStringList{"< STATUS 1\\r\\n", lines[at], "\tSTATUS 1", "> $RSRF0"}));
}

TEST(Recording, ABurstBeyondWhatItHoldsBeforeWritingIsInTheFileWholeAndInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    // 300 KiB with every byte value in it: more than the recording holds before it writes.
    QByteArray stream;
    for (int i = 0; i < 300 * 1024; ++i)
        stream += char(i * 7 % 256);
    unitSends(h, stream);
    stopRecording(h);
    QByteArray received;
    for (const QByteArray &line : fileLines(path))
        if (const auto record = recordformat::readRecord(line); record && record->kind == recordformat::Record::Kind::Received)
            received += record->bytes;
    EXPECT_EQ(received.size(), 300 * 1024);
    EXPECT_EQ(received, stream);
}

TEST(Recording, AnEmptyAnswerLineIsToldFromNone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.connectWith("COM1", "19200", "S");
    startRecording(h, path);
    h.w.ed1()->setText(QStringLiteral("$RSE1"));
    h.state.ButtonCommandFlag = 1;
    unitSends(h, "SE1\r\n");   // the repeated address and letters cut: an empty line in lbrx
    unitSends(h, "  ");        // blank: no line in lbrx
    ASSERT_EQ(h.w.lbrx()->count(), 1);
    ASSERT_EQ(h.w.lbrx()->lineBytes(0), "");
    ASSERT_EQ(h.w.lb2()->count(), 2);

    const QList<QByteArray> lines = fileLines(path);
    ASSERT_EQ(lines.size(), 5);
    const auto empty = recordformat::readRecord(lines[2]);
    const auto none = recordformat::readRecord(lines[4]);
    ASSERT_TRUE(empty && none);
    EXPECT_TRUE(empty->answerLine);
    EXPECT_EQ(empty->answer, "");
    EXPECT_FALSE(none->answerLine);
    EXPECT_TRUE(lines[2].endsWith("\t$RSE1\t")) << lines[2].toStdString();
    EXPECT_TRUE(lines[4].endsWith("\t$RSE1")) << lines[4].toStdString();
}

// A save onto the running recording's file, by its name, a link or a hard link, would leave
// the recording writing into a file without a name: refused before the question to replace it.
TEST(Recording, ASaveOntoItsFileIsRefusedUnderAnyNameAndTheFileStays)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    const QString link = dir.filePath(QStringLiteral("verknuepfung.txt"));
    const QString hardLink = dir.filePath(QStringLiteral("zweiter-name.txt"));
    Harness h;
    startRecording(h, path);
    ASSERT_TRUE(h.app.recording().isRunning());
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(hardLink).constData()), 0);
    h.connectWith("COM1", "19200", "S");
    unitSends(h, "Z1");

    LineList *list = h.w.lbrx();
    std::vector<QString> warnings;
    int questions = 0;
    list->fileMenu()->setWarningBox([&](QWidget *, const QString &, const QString &text) { warnings.push_back(text); });
    list->fileMenu()->setReplaceAsker([&](QWidget *, const QString &, const QString &) { return ++questions, true; });
    for (const QString &target : {path, link, hardLink}) {
        const QByteArray before = fileLines(path).join('\n');
        list->fileMenu()->setSaveFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return target; });
        list->fileMenu()->saveAs();
        EXPECT_EQ(fileLines(path).join('\n'), before) << target.toStdString();
    }
    EXPECT_EQ(questions, 0);
    ASSERT_EQ(warnings.size(), 3u);
    for (const QString &target : {path, link, hardLink})
        EXPECT_TRUE(std::find(warnings.begin(), warnings.end(),
                              QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: Das Ziel ist die Datei des "
                                             "laufenden Mitschnitts („%2“). Sie bleibt unverändert, und der Mitschnitt "
                                             "läuft weiter.").arg(target, path))
                    != warnings.end()) << target.toStdString();

    // The recording goes on into the same file.
    unitSends(h, "Z2");
    EXPECT_EQ(recordsIn(path), 2);
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // Another file is saved as before, after the question.
    const QString other = dir.filePath(QStringLiteral("liste.txt"));
    QFile(other).open(QIODevice::WriteOnly);
    list->fileMenu()->setSaveFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return other; });
    list->fileMenu()->saveAs();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(fileLines(other).size(), 2);
}

TEST(Recording, ASecondStartIntoItsOwnFileIsRefusedAndItGoesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    const QString link = dir.filePath(QStringLiteral("verknuepfung.txt"));
    Harness h;
    startRecording(h, path);
    ASSERT_TRUE(QFile::link(path, link));
    startRecording(h, link);
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], QStringLiteral("Der Mitschnitt in „%1“ kann nicht beginnen.\rGrund: Das Ziel ist die Datei des "
                                             "laufenden Mitschnitts („%2“). Sie bleibt unverändert, und der Mitschnitt "
                                             "läuft weiter.").arg(link, path));
    EXPECT_EQ(h.app.recording().path(), path);
    EXPECT_EQ(linesWithoutTime(path).size(), 1) << "no end marker, no second start";

    // Another file: the running recording ends there and the new one begins.
    const QString other = dir.filePath(QStringLiteral("neu.txt"));
    startRecording(h, other);
    EXPECT_EQ(h.app.recording().path(), other);
    EXPECT_EQ(linesWithoutTime(path).last(), QStringLiteral("# Mitschnitt beendet"));
}

TEST(Recording, ARefusedConnectIsInTheFileWithItsReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    h.channel.failOpen = true;
    h.connectWith("COM7", "19200", "S");
    ASSERT_EQ(h.end.ends, 1) << "both lists empty: the program ends after the box";
    EXPECT_EQ(linesWithoutTime(path).mid(1), (QStringList{"# Verbinden mit COM7 abgelehnt (Fehler 2): no such port"}));
}

// SIGTERM, SIGINT and SIGHUP end the program as closing the window does: nothing more to the
// unit, the port closed, and the recording's end names the signal.
TEST(Recording, ASignalEndsItWithItsNameAfterThePortIsClosed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    h.connectWith("COM1", "19200", "3");
    startRecording(h, path);
    h.click(h.w.cmdF0());
    const std::size_t written = h.channel.writes.size();

    endBySignal(h.p, SIGTERM);
    EXPECT_FALSE(h.channel.isOpen());
    EXPECT_EQ(h.channel.writes.size(), written) << "nothing more to the unit";
    EXPECT_EQ(h.end.ends, 1);
    EXPECT_EQ(h.end.exitCode, 128 + SIGTERM);
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), QString());
    EXPECT_EQ(linesWithoutTime(path).mid(2), (QStringList{
        "# Keine Antwort auf „$R3RF0“ (gesendet T) vor dem Schließen der Schnittstelle",
        "# Mitschnitt beendet: Programm durch Signal SIGTERM beendet"}));
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_TRUE(h.box.texts.empty());

    // No handler runs after it.
    h.click(h.w.cmdF1());
    EXPECT_EQ(h.channel.writes.size(), written);
}

// The signal handler only writes the number; the program hears it from its event loop.
TEST(SignalEndTest, TheEventLoopHearsEachOfTheThreeSignalsOnce)
{
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        std::vector<int> heard;
        SignalEnd signalEnd([&](int received) { heard.push_back(received); });
        ASSERT_EQ(std::raise(number), 0);
        ASSERT_TRUE(testsupport::waitUntil([&] { return !heard.empty(); })) << number;
        EXPECT_EQ(heard, std::vector<int>{number});
        EXPECT_EQ(signalEnd.received(), number);
    }
}

// While records come the file reaches the disk at least every two seconds, on the flushing
// thread, and not at every record.
namespace {
std::atomic<int> flushes{0};
int countFlush(int fd)
{
    ++flushes;
    return ::fdatasync(fd);
}
} // namespace

TEST(Recording, WhileRecordsComeTheFileReachesTheDiskEveryTwoSeconds)
{
    QTemporaryDir dir;
    auto now = std::chrono::steady_clock::now();
    flushes = 0;
    Recording recording;
    recording.onFailure([] {});
    recording.setClock([&] { return now; });
    recording.setFlushToDisk(countFlush);
    ASSERT_TRUE(recording.start(dir.filePath(QStringLiteral("sitzung.txt")), QStringLiteral("begonnen"), nullptr));
    ASSERT_TRUE(testsupport::waitUntil([] { return flushes == 1; })) << "the start marker";

    const auto record = [&](std::chrono::milliseconds later) {
        now += later;
        recording.addRecord(0, "$RSRF0", std::string_view("F011"));
        recording.writeRecords();
    };
    record(500ms);
    record(900ms);
    QTest::qWait(50);
    EXPECT_EQ(flushes, 1) << "not at every record";
    ASSERT_TRUE(recording.syncTimer().isActive()) << "the flush is due by the timer";
    EXPECT_EQ(recording.syncTimer().interval(), 2000 - 500) << "due two seconds after the last flush";
    record(700ms);   // 2.1 s since the last flush: now
    EXPECT_TRUE(testsupport::waitUntil([] { return flushes == 2; }));

    // The timer's due time, as its handler runs it.
    record(100ms);
    ASSERT_TRUE(recording.syncTimer().isActive());
    recording.syncDue();
    EXPECT_TRUE(testsupport::waitUntil([] { return flushes == 3; }));
    recording.stop(QStringLiteral("beendet"));
    EXPECT_FALSE(recording.takeFailure().has_value());
}

TEST(Recording, ClearingTheListsAfterTheQuestionKeepsEveryLineInTheFileAndMarksIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("leeren.txt"));
    Harness h;
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    unitSends(h, "SRF0F011\r\n");
    unitSends(h, "   ");
    QStringList asked;
    bool answer = false;
    for (LineList *list : {h.w.lb2(), h.w.lbrx()})
        list->setClearAsker([&](QWidget *, const QString &title, const QString &question) {
            asked << title + QLatin1Char('|') + question;
            return answer;
        });
    // „Nein“: nothing changes.
    h.w.lbrx()->askToClear();
    EXPECT_EQ(h.w.lb2()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->count(), 1);
    answer = true;
    h.w.lb2()->clearAction()->trigger();   // from the other list's menu (queued, as from a menu)
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.w.lbrx()->count() == 0; }));
    EXPECT_EQ(h.w.lb2()->count(), 0);
    EXPECT_EQ(asked, QStringList(2, QStringLiteral("Listen leeren|Beide Listen leeren?\n"
                                                   "Ein laufender Mitschnitt behält alle Zeilen und vermerkt das Leeren.")));
    // The lists begin anew; the recording goes on after its marker.
    unitSends(h, "SRF0F012\r\n");
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), QByteArray("F012"));
    stopRecording(h);
    const QStringList lines = linesWithoutTime(path);
    EXPECT_EQ(lines.mid(2), (QStringList{
        "> $RSRF0",
        "< SRF0F011\\r\\n",
        "$RSRF0\tF011",
        "<    ",
        "$RSRF0",
        "# Listen geleert (Befehle: 2 Zeilen, Antworten: 1 Zeile)",
        "< SRF0F012\\r\\n",
        "$RSRF0\tF012",
        "# Mitschnitt beendet"})) << lines.join(QLatin1Char('\n')).toStdString();
}

TEST(Recording, WhileItRunsTheWindowsTitleNamesItsFileAndAfterItsEndNoMore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("titel.txt"));
    Harness h;
    EXPECT_EQ(h.w.windowTitle(), QStringLiteral("RIX-TERM"));
    startRecording(h, path);
    EXPECT_EQ(h.w.windowTitle(), QStringLiteral("RIX-TERM — Mitschnitt: ") + path);
    stopRecording(h);
    EXPECT_EQ(h.w.windowTitle(), QStringLiteral("RIX-TERM"));
}
