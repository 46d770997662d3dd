// SPDX-License-Identifier: GPL-3.0-or-later
// „Mitschnitt öffnen …“: a recording in its own window, read-only, as the window showed it.
#include "support/controls.h"
#include "support/localzone.h"
#include "widgets/handbookbrowser.h"
#include "widgets/helpwindow.h"
#include "widgets/lineinspector.h"
#include "widgets/lineview.h"
#include "widgets/recordingviewer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using testsupport::control;

namespace {

// A session at 4800 as the window records it: the connect, F0 with its echo, an alarm the unit
// sent on its own with its ESC and BEL, a write nobody answered, the line pulled.
const QByteArray session =
    "# 2026-12-07 18:00:00.000 Mitschnitt begonnen (rix-term 1.0.0), nicht verbunden\n"
    "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:4800,n,8,1\n"
    "> 2026-12-07 18:00:02.000\t$RSRF0\n"
    "< 2026-12-07 18:00:02.040\t$RSRF0SRF0F011\\r\\n\n"
    "2026-12-07 18:00:02.061\t$RSRF0\tF011\n"
    "< 2026-12-07 18:00:05.000\t\\x1B[1mALARM\\x07\\r\\n\n"
    "2026-12-07 18:00:05.021\t$RSRF0\t\\x1B[1mALARM\\x07\n"
    "> 2026-12-07 18:00:06.000\t$RSE1\n"
    "# 2026-12-07 18:00:06.300 Keine Antwort auf „$RSE1“ (gesendet 18:00:06.000) vor dem Schließen des Ports\n"
    "# 2026-12-07 18:00:14.000 Verbindung unterbrochen (Fehler 1002): Die Verbindung zu /dev/pts/3 ist abgerissen.\n";

class ViewingARecording : public ::testing::Test {
protected:
    QString write(const QByteArray &text, const char *name = "mitschnitt.txt")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }
    // Opens the file in a viewer that tells of skipped lines here, and reads it whole.
    RecordingViewer *view(const QString &path)
    {
        auto *viewer = new RecordingViewer(path);
        viewers.emplace_back(viewer);
        viewer->setWarningBox([this](QWidget *, const QString &, const QString &text) { warnings << text; });
        EXPECT_TRUE(viewer->open()) << viewer->errorText().toStdString();
        viewer->show();
        EXPECT_TRUE(QTest::qWaitFor([viewer] { return viewer->isRead(); }, 10000));
        return viewer;
    }
    static std::vector<QByteArray> linesOf(const LineView *list)
    {
        std::vector<QByteArray> lines;
        for (int i = 0; i < list->count(); ++i)
            lines.push_back((list->isMarker(i) ? "# " : "") + list->lineBytes(i));
        return lines;
    }
    ~ViewingARecording() override
    {
        for (const QPointer<RecordingViewer> &viewer : viewers)
            delete viewer.data();
    }

    const LocalZone berlin{"Europe/Berlin"};
    QTemporaryDir dir;
    QStringList warnings;
    std::vector<QPointer<RecordingViewer>> viewers;
};

// 2026-12-07 18:00:02.061 in Berlin.
constexpr qint64 firstAnswerAt = 1796662802061;

} // namespace

TEST_F(ViewingARecording, BothListsAsShownWithTheMarkersBetweenTheirLinesAndEachLineItsTime)
{
    RecordingViewer *viewer = view(write(session));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Mitschnitt – mitschnitt.txt (nur lesen)"));
    const auto *commands = control<LineView>(*viewer, "lb2");
    const auto *answers = control<LineView>(*viewer, "lbrx");
    ASSERT_TRUE(commands && answers);
    const std::vector<QByteArray> markers = {
        "# Mitschnitt begonnen (rix-term 1.0.0), nicht verbunden", "# Verbunden: (S) /dev/pts/3:4800,n,8,1"};
    const QByteArray noAnswer = "# Keine Antwort auf \x84$RSE1\x93 (gesendet 18:00:06.000) vor dem Schlie\xdf" "en des Ports";
    const QByteArray lost = "# Verbindung unterbrochen (Fehler 1002): Die Verbindung zu /dev/pts/3 ist abgerissen.";
    EXPECT_EQ(linesOf(commands), (std::vector<QByteArray>{markers[0], markers[1], "$RSRF0", "$RSRF0", noAnswer, lost}));
    EXPECT_EQ(linesOf(answers), (std::vector<QByteArray>{markers[0], markers[1], "F011", "\x1b[1mALARM\x07", noAnswer, lost}));
    EXPECT_EQ(answers->lineTime(2), firstAnswerAt);
    EXPECT_EQ(answers->lineTime(3), firstAnswerAt + 2960);
    EXPECT_TRUE(answers->showsTimes());
    EXPECT_EQ(answers->markerCount(), 4);
    EXPECT_FALSE(control<QProgressBar>(*viewer, "readProgress")->isVisible());
    EXPECT_EQ(control<QLabel>(*viewer, "readStatus")->text(),
              QStringLiteral("Gelesen: 2 Zeilen „Gesendete Befehle“, 2 Zeilen „Antworten“, 4 Vermerke"));
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(ViewingARecording, ItsMenusSaveFindAndInspectButNeverStartAnythingOfTheUnit)
{
    RecordingViewer *viewer = view(write(session));
    auto *answers = control<LineView>(*viewer, "lbrx");
    ASSERT_TRUE(answers);
    EXPECT_FALSE(answers->parameterSetAction()->isVisible());
    QStringList entries;
    for (const QAction *action : answers->menuEntries())
        entries << (action ? action->text() : QStringLiteral("—"));
    EXPECT_EQ(entries, (QStringList{"Kopieren", "Alles auswählen", "Speichern unter …", "—", "Suchen …",
                                    "Zeile untersuchen …", "—", "Hilfe"}))
        << "no „Listen leeren“, no recording, no „Parametersatz …“";

    // The save writes the list as shown, markers included.
    const QString saved = dir.filePath(QStringLiteral("antworten.txt"));
    QString reason;
    ASSERT_TRUE(answers->saveToFile(saved, &reason)) << reason.toStdString();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[3], "18:00:05.021\t\\x1B[1mALARM\\x07");

    // Find on ALARM: the hit is selected, the count said.
    emit answers->findAsked();
    auto *text = control<QLineEdit>(*viewer, "findText");
    ASSERT_TRUE(text && text->isVisible());
    QTest::keyClicks(text, QStringLiteral("ALARM"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return control<QLabel>(*viewer, "findStatus")->text() == QStringLiteral("Treffer 1 von 1"); }, 5000))
        << control<QLabel>(*viewer, "findStatus")->text().toStdString();
    EXPECT_EQ(answers->currentLine(), 3);

    // „Hilfe“ opens the Handbuch where it tells of an opened recording.
    answers->helpAction()->trigger();
    HelpWindow *help = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (help = viewer->findChild<HelpWindow *>()) != nullptr; }, 2000));
    EXPECT_EQ(control<HandbookBrowser>(*help, "handbook")->source().fragment(),
              QStringLiteral("einen-mitschnitt-öffnen"));
}

TEST_F(ViewingARecording, TheInspectorShowsALinesBytesAndTheBurstItWasShownFrom)
{
    RecordingViewer *viewer = view(write(session));
    auto *answers = control<LineView>(*viewer, "lbrx");
    ASSERT_TRUE(answers);
    emit answers->lineInspectionAsked(3);
    LineInspector *inspector = viewer->findChild<LineInspector *>();
    ASSERT_TRUE(inspector);
    EXPECT_EQ(inspector->windowTitle(), QStringLiteral("Zeile untersuchen – Antworten, Zeile 4"));
    EXPECT_EQ(inspector->selectedBytes(), "\x1b[1mALARM\x07");
    ASSERT_TRUE(inspector->burstView());
    EXPECT_EQ(inspector->burstView()->toPlainText(), LineInspector::dump("\x1b[1mALARM\x07\r\n"));
    EXPECT_EQ(inspector->burstSummary()->text(),
              QStringLiteral("Gezeigt aus dem Empfang („<“) vom 07.12.2026 18:00:05.000 · 12 Bytes, wie er von der Leitung kam"));
    delete inspector;

    // A marker was shown from nothing on the line.
    emit answers->lineInspectionAsked(1);
    inspector = viewer->findChild<LineInspector *>();
    ASSERT_TRUE(inspector);
    EXPECT_EQ(inspector->burstView(), nullptr);
    delete inspector;
}

TEST_F(ViewingARecording, ADamagedFileNamesItsFirstBadLineAndShowsWhatCouldBeRead)
{
    QByteArray damaged = session;
    damaged.insert(damaged.indexOf("< 2026-12-07 18:00:05"), "Zeile \xff kaputt\n\\x\n");
    RecordingViewer *viewer = view(write(damaged, "kaputt.txt"));
    const QString path = dir.filePath(QStringLiteral("kaputt.txt"));
    const QString expected = QStringLiteral("Der Mitschnitt „%1“ ist beschädigt: Zeile 6 (und 1 weitere) ist keine Zeile eines "
                                            "Mitschnitts und wurde übersprungen. Gezeigt wird, was gelesen werden konnte.")
                                 .arg(path);
    EXPECT_EQ(warnings, QStringList{expected});
    EXPECT_TRUE(control<QLabel>(*viewer, "readStatus")->text().startsWith(expected));
    EXPECT_EQ(control<LineView>(*viewer, "lbrx")->count(), 6) << "everything else is there";

    warnings.clear();
    view(write("Liebe Werkstatt,\nanbei der Mitschnitt.\n", "brief.txt"));
    EXPECT_EQ(warnings, QStringList{QStringLiteral("„%1“ ist kein Mitschnitt von RIX-TERM: Zeile 1 ist keine Zeile eines "
                                                   "Mitschnitts.").arg(dir.filePath(QStringLiteral("brief.txt")))});
}

TEST_F(ViewingARecording, AFileThatCannotBeReadSaysWhy)
{
    RecordingViewer viewer(dir.filePath(QStringLiteral("fehlt.txt")));
    EXPECT_FALSE(viewer.open());
    EXPECT_FALSE(viewer.errorText().isEmpty());
    RecordingViewer folder(dir.path());
    EXPECT_FALSE(folder.open());
    EXPECT_EQ(folder.errorText(), QStringLiteral("Das ist keine gewöhnliche Datei."));
}

TEST_F(ViewingARecording, ALargeRecordingIsReadOverManyTurnsOfTheEventLoopWithTheBarMoving)
{
    QByteArray text = "# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\n";
    for (int i = 0; i < 200000; ++i)
        text += "< 2026-12-07 18:00:02.000\tSV" + QByteArray::number(i) + "\\r\\n\n2026-12-07 18:00:02.020\t$RSV\tSV"
                + QByteArray::number(i) + "\n";
    auto *viewer = new RecordingViewer(write(text));
    viewers.emplace_back(viewer);
    ASSERT_TRUE(viewer->open());
    viewer->show();
    auto *bar = control<QProgressBar>(*viewer, "readProgress");
    std::vector<int> values;
    int turns = 0;
    while (!viewer->isRead() && turns < 100000) {
        QApplication::processEvents();
        ++turns;
        if (values.empty() || values.back() != bar->value())
            values.push_back(bar->value());
    }
    ASSERT_TRUE(viewer->isRead());
    EXPECT_GT(values.size(), 2u) << "the bar moved on between slices";
    EXPECT_EQ(control<LineView>(*viewer, "lbrx")->count(), 200001);
    EXPECT_EQ(control<LineView>(*viewer, "lbrx")->lineBytes(200000), "SV199999");

    // Far into the file each line still finds the burst it was shown from.
    for (const auto &[list, line, burst] : {std::tuple{"lbrx", 1000, "SV999\r\n"}, std::tuple{"lb2", 700, "SV699\r\n"},
                                            std::tuple{"lbrx", 200000, "SV199999\r\n"}}) {
        emit control<LineView>(*viewer, list)->lineInspectionAsked(line);
        LineInspector *inspector = viewer->findChild<LineInspector *>();
        ASSERT_TRUE(inspector && inspector->burstView()) << list << " " << line;
        EXPECT_EQ(inspector->burstView()->toPlainText(), LineInspector::dump(burst)) << list << " " << line;
        delete inspector;
    }
}
