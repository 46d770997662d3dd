// SPDX-License-Identifier: GPL-3.0-or-later
// The recording's file: appended to, only whole lines, refused where a save is refused, and a
// full disk said in German with the records that made it.
#include "support/filelines.h"
#include "support/filesizelimit.h"
#include "unit/files/recordingfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString refusedTail = QStringLiteral(
    ", keine gewöhnliche Datei. Gespeichert wird nur in eine gewöhnliche Datei oder unter einem neuen Namen; "
    "das Ziel bleibt unverändert.");

} // namespace

TEST(RecordingFile, AppendsWholeLinesToAnExistingFileAlsoThroughALink)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    const QString link = dir.filePath(QStringLiteral("verknuepfung.txt"));
    writeFile(path, "# alte Sitzung\n");
    ASSERT_TRUE(QFile::link(path, link));

    RecordingFile file(link);
    ASSERT_TRUE(file.open()) << file.errorText().toStdString();
    file.addMarker(0, QStringLiteral("Verbunden"));
    file.addRecord(0, "$RSRF0", std::string_view("F011"));
    file.addRecord(0, "", std::nullopt);
    EXPECT_EQ(contentOf(path), QByteArray("# alte Sitzung\n")) << "nothing is written before it is handed over";
    ASSERT_TRUE(file.writePending()) << file.errorText().toStdString();
    EXPECT_EQ(file.recordsWritten(), 2);
    EXPECT_TRUE(file.close()) << file.errorText().toStdString();

    const QList<QByteArray> lines = contentOf(path).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "# alte Sitzung");
    EXPECT_TRUE(lines[1].startsWith("# ") && lines[1].endsWith(" Verbunden")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("\t$RSRF0\tF011")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith("00\t")) << "no answer line: no second TAB " << lines[3].toStdString();
    EXPECT_EQ(lines[4], "");
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link stays a link";
}

TEST(RecordingFile, RefusesWhatASaveRefusesAndTouchesNothing)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath(QStringLiteral("ordner"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString linkToFolder = dir.filePath(QStringLiteral("zum-ordner"));
    ASSERT_TRUE(QFile::link(folder, linkToFolder));

    const auto reason = [](const QString &path) {
        RecordingFile file(path);
        EXPECT_FALSE(file.open());
        EXPECT_FALSE(file.isOpen());
        return file.errorText();
    };
    // A FIFO without a reader would hold the window forever if it were opened.
    EXPECT_EQ(reason(fifo), QStringLiteral("Das Ziel ist eine Pipe (FIFO)") + refusedTail);
    EXPECT_EQ(reason(folder), QStringLiteral("Das Ziel ist ein Ordner") + refusedTail);
    EXPECT_EQ(reason(linkToFolder), QStringLiteral("Das Ziel ist eine Verknüpfung auf einen Ordner") + refusedTail);
    EXPECT_TRUE(reason(dir.filePath(QStringLiteral("fehlt/sitzung.txt"))).startsWith(QStringLiteral("Den Ordner gibt es nicht.")));
    EXPECT_EQ(entriesOf(folder), QStringList());
}

TEST(RecordingFile, AFullDiskStopsItWithTheReasonAndLeavesOnlyWholeLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    writeFile(path, "alt\n");

    RecordingFile file(path);
    ASSERT_TRUE(file.open());
    // Each record is 23 + 1 + 6 + 1 + 10 + 1 = 42 bytes: two fit into the 100 left, the third not.
    for (int i = 0; i < 5; ++i)
        file.addRecord(0, "$RSRF0", std::string_view("Antwort-00"));
    {
        const testsupport::FileSizeLimit fullDisk(4 + 100);
        EXPECT_FALSE(file.writePending());
    }
    EXPECT_TRUE(file.errorText().startsWith(QStringLiteral("Die Datei wird zu groß."))) << file.errorText().toStdString();
    EXPECT_EQ(file.recordsWritten(), 2);
    const QByteArray content = contentOf(path);
    EXPECT_TRUE(content.startsWith("alt\n"));
    EXPECT_EQ(content.count('\n'), 3) << "the old line and two records";
    EXPECT_TRUE(content.endsWith('\n')) << "the half record is cut off again";
    EXPECT_FALSE(file.isOpen());

    // Stopped: nothing more goes in, even with room again.
    file.addRecord(0, "$RSRF1", std::string_view("0A00"));
    EXPECT_FALSE(file.writePending());
    EXPECT_EQ(contentOf(path), content);
}

// A second recording into the same file (another program, or the same under another name)
// is refused by the lock the first holds; the first goes on untouched.
TEST(RecordingFile, ASecondRecordingIntoTheSameFileIsRefusedAndTheFirstGoesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    const QString link = dir.filePath(QStringLiteral("verknuepfung.txt"));
    RecordingFile first(path);
    ASSERT_TRUE(first.open()) << first.errorText().toStdString();
    ASSERT_TRUE(QFile::link(path, link));
    first.addSent(0, "$RSRF0");
    ASSERT_TRUE(first.writePending());

    RecordingFile second(link);
    EXPECT_FALSE(second.open());
    EXPECT_EQ(second.errorText(), QStringLiteral("In diese Datei schreibt schon ein anderer Mitschnitt (die Datei ist "
                                                 "gesperrt). Er läuft unberührt weiter."));
    EXPECT_EQ(second.identity(), FileIdentity{}) << "nothing opened";

    first.addReceived(0, "SRF0F011\r\n");
    ASSERT_TRUE(first.writePending()) << first.errorText().toStdString();
    const SaveTarget target = examineSaveTarget(link);
    EXPECT_EQ(first.identity(), target.identity) << "the same file through the link";
    EXPECT_TRUE(first.close());
    const QList<QByteArray> lines = contentOf(path).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("> ") && lines[0].endsWith("\t$RSRF0")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("< ") && lines[1].endsWith("\tSRF0F011\\r\\n")) << lines[1].toStdString();

    // Closed, the file is free for the next.
    RecordingFile third(path);
    EXPECT_TRUE(third.open()) << third.errorText().toStdString();
}
