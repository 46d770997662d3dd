// SPDX-License-Identifier: GPL-3.0-or-later
// The recording ("Mitschnitt") in the whole program on the fakes: a record per shown burst,
// markers for what happened to the connection, each record in the file before its line is
// painted, and a file that fails stopped with the reason while everything else goes on.
#include "support/filelines.h"
#include "support/filesizelimit.h"
#include "support/harness.h"
#include "support/waiting.h"
#include "unit/recordformat.h"
#include "window/recording/recording.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using namespace std::chrono_literals;

namespace {

// A line without its time: "# text" for a marker, "command<TAB>answer" for a record.
QString withoutTime(const QByteArray &line)
{
    if (line.startsWith("# "))
        return QStringLiteral("# ") + QString::fromUtf8(line.mid(2 + 23 + 1));
    const auto record = recordformat::readRecord(line);
    if (!record)
        return QStringLiteral("<kein Eintrag: %1>").arg(QString::fromUtf8(line));
    return QString::fromLatin1(record->commandLine) + QLatin1Char('\t') + QString::fromLatin1(record->answer);
}

QStringList contentOf(const QString &path)
{
    QStringList lines;
    for (const QByteArray &line : fileLines(path))
        lines << withoutTime(line);
    return lines;
}

int recordsIn(const QString &path)
{
    int records = 0;
    for (const QByteArray &line : fileLines(path))
        records += line.startsWith('#') ? 0 : 1;
    return records;
}

// "Mitschnitt in Datei …" with `path` chosen in the dialog.
void startRecording(Harness &h, const QString &path)
{
    h.w.lbrx()->setRecordFileAsker([path](QWidget *, const QString &, const QString &, const QString &) { return path; });
    h.w.lbrx()->askRecordingFile();
}

// "Mitschnitt beenden" from the command list's menu.
void stopRecording(Harness &h)
{
    h.w.lb2()->stopRecordingAction()->trigger();
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
    EXPECT_EQ(h.w.lb2()->recordingFile(), path);
    EXPECT_EQ(h.w.lbrx()->recordingFile(), path);

    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    unitSends(h, "SRF0F011\r\n");
    unitSends(h, "   ");   // a blank answer: a line in lb2 only, and a record with an empty answer
    h.click(h.w.cmdAUS());
    h.connectWith("COM1", "19200", "S");
    h.box.waitForThePort = true;
    h.box.waitTries = 1;
    h.channel.hangUp();
    h.tick();
    ASSERT_TRUE(h.channel.isOpen()) << "connected again after waiting";
    stopRecording(h);

    const QStringList lines = contentOf(path);
    ASSERT_EQ(lines.size(), 9) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^# Mitschnitt begonnen \\(rix-term \\d+\\.\\d+\\.\\d+\\), nicht verbunden$"))
                    .match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1), (QStringList{
        "# Verbunden: (S) COM1:19200,n,8,1",
        "$RSRF0\tF011",
        "$RSRF0\t",
        "# Getrennt",
        "# Verbunden: (S) COM1:19200,n,8,1",
        "# Verbindung unterbrochen (Fehler 1002): hung up",
        "# Wieder verbunden: (S) COM1:19200,n,8,1",
        "# Mitschnitt beendet"}));
    // The record carries the time its lines were shown with.
    QByteArray shownAt;
    recordformat::TimeStamp time;
    time.append(shownAt, h.w.lbrx()->lineTime(0));
    EXPECT_TRUE(fileLines(path)[2].startsWith(shownAt + '\t')) << fileLines(path)[2].toStdString();
    EXPECT_EQ(h.w.lbrx()->recordingFile(), QString());
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

TEST(Recording, AWriteThatFailsStopsItWithTheReasonWhileTheListsAndTheLineGoOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    startRecording(h, path);
    h.connectWith("COM1", "19200", "S");
    const qint64 before = QFile(path).size();
    {
        // Room for three records of 23 + 1 + 0 + 1 + 5 + 1 = 31 bytes and a part of the fourth.
        const testsupport::FileSizeLimit fullDisk(before + 3 * 31 + 10);
        for (int i = 0; i < 5; ++i) {
            unitSends(h, "Z000" + QByteArray::number(i));
            QCoreApplication::processEvents();
        }
    }
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0],
              QStringLiteral("Der Mitschnitt in „%1“ wurde beendet, weil die Datei nicht geschrieben werden konnte.\r"
                             "Grund: Die Datei wird zu groß.\r"
                             "3 Einträge dieses Mitschnitts stehen vollständig in der Datei.\r"
                             "Verbindung und Listen laufen weiter.")
                  .arg(path));
    EXPECT_EQ(recordsIn(path), 3);
    EXPECT_EQ(QFile(path).size(), before + 3 * 31) << "no half record at the end";
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_EQ(h.w.lbrx()->recordingFile(), QString());
    EXPECT_EQ(h.w.lb2()->recordingFile(), QString());

    // Everything else goes on: the lists, the line, the program.
    unitSends(h, "danach");
    QCoreApplication::processEvents();
    EXPECT_EQ(h.w.lbrx()->count(), 6);
    EXPECT_EQ(h.w.lbrx()->lineBytes(5), "danach");
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.receiver.isPolling());
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
    EXPECT_EQ(h.w.lbrx()->recordingFile(), QString());
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.receiver.isPolling());

    // Started while connected, a recording says so in its first line.
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    startRecording(h, path);
    ASSERT_EQ(contentOf(path).size(), 1);
    EXPECT_TRUE(contentOf(path)[0].endsWith(QStringLiteral("), verbunden: (S) COM1:19200,n,8,1"))) << contentOf(path)[0].toStdString();
}
