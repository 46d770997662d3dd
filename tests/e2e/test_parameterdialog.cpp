// SPDX-License-Identifier: GPL-3.0-or-later
// „Parametersatz …“ against the simulated unit: the dialog reads, compares and writes
// through the window's own path, so the unit gets the buttons' bytes and the lists show
// every command and answer; hostile units end in a report, never in a value guessed.
#include "liveunit.h"

#include "support/controls.h"
#include "widgets/lineview.h"
#include "widgets/parameterdialog.h"
#include "window/app/dispatch.h"
#include "window/commands/parameterset.h"
#include "window/connection/connection.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace e2e;
using namespace testsupport;
using Commands = std::vector<std::string>;

namespace {
const Commands readAll = {"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF4", "$RSRF5", "$RSRF6"};
} // namespace

class ParameterDialogOnTheLine : public LiveUnit {
protected:
    void startWith(rixsim::Unit unit, rixsim::TransportOptions options = {})
    {
        sim = std::make_unique<rixsim::BackgroundSimulator>(std::move(options), std::move(unit));
    }
    ParameterDialog &openDialog()
    {
        dispatch(program.p, showParameterSet);
        ParameterDialog *d = parameterDialog(program.p);
        EXPECT_NE(d, nullptr);
        d->setQuestion([this](QWidget *, const QString &text) {
            questions.push_back(text);
            return true;
        });
        return *d;
    }
    static QPushButton *button(ParameterDialog &d, const char *name) { return control<QPushButton>(d, name); }
    // Clicks the button and lets its run on the line go to its end, as the user waits for it.
    static void run(ParameterDialog &d, const char *name)
    {
        button(d, name)->click();
        EXPECT_TRUE(waitUntil([&] { return !d.isRunning(); }, std::chrono::seconds(20))) << name;
    }
    static QString cell(ParameterDialog &d, int n, int column)
    {
        return control<QTableWidget>(d, "values")->item(n, column)->text();
    }
    static QString unitCell(ParameterDialog &d, int n) { return cell(d, n, ParameterDialog::Unit); }
    static QString barText(ParameterDialog &d) { return control<QProgressBar>(d, "progress")->text(); }
    QString writeFile(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("satz.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    // Presses „Abbrechen“ as soon as the unit has received `count` commands.
    void cancelOnceReceived(ParameterDialog &d, std::size_t count)
    {
        auto *watch = new QTimer(&d);
        QObject::connect(watch, &QTimer::timeout, &d, [this, &d, watch, count] {
            if (received().size() < count)
                return;
            watch->deleteLater();
            watch->stop();
            EXPECT_TRUE(d.isRunning());
            EXPECT_FALSE(button(d, "readButton")->isEnabled());
            button(d, "cancelButton")->click();
        });
        watch->start(2);
    }
    std::vector<QString> questions;
    QTemporaryDir dir;
};

TEST_F(ParameterDialogOnTheLine, ReadPutsTheButtonsBytesOnTheLineAndTheListsShowEachAnswer)
{
    startUnit();
    connectProgram();
    // F3 by its button first: the dialog's line in lb2 must look exactly like it.
    program.click(program.w.cmdF3());
    ASSERT_TRUE(listHas(program.w.lb2(), 1));
    const QByteArray buttonLine = program.w.lb2()->lineBytes(0);

    ParameterDialog &d = openDialog();
    EXPECT_TRUE(button(d, "readButton")->isEnabled());
    run(d, "readButton");
    EXPECT_EQ(d.report(), QStringLiteral("F0–F6 gelesen."));
    const QStringList expected = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(unitCell(d, n), expected[n]) << n;
    EXPECT_EQ(cell(d, 3, ParameterDialog::Meaning), QStringLiteral("3.,4. Stelle = 0x28 = 40 × 5 ms = 200 ms"));
    Commands all = {"$RSRF3"};
    all.insert(all.end(), readAll.begin(), readAll.end());
    EXPECT_EQ(received(), all);
    // Each answer is shown in both lists before the next command goes out.
    ASSERT_TRUE(listHas(program.w.lb2(), 8));
    EXPECT_EQ(program.w.lb2()->lineBytes(4), buttonLine);
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(program.w.lbrx()->lineBytes(1 + n), expected[n].toLatin1()) << n;
        EXPECT_TRUE(program.w.lb2()->lineBytes(1 + n).startsWith("$RSRF" + QByteArray::number(n))) << n;
    }
    // The window is as after a button: connected, polling, the line free.
    EXPECT_TRUE(program.connected());
    EXPECT_TRUE(program.conversation.isPolling());
}

TEST_F(ParameterDialogOnTheLine, AFileIsComparedAndTwoChangedValuesAreWrittenAndReadBack)
{
    startUnit();
    connectProgram();
    ParameterDialog &d = openDialog();
    run(d, "readButton");
    d.openFile(writeFile("# Satz\nF1=0A10\nF3=0e3c\nF6=2010\n"));
    EXPECT_EQ(cell(d, 1, ParameterDialog::Differs), QStringLiteral("≠"));
    EXPECT_EQ(cell(d, 2, ParameterDialog::Differs), QString());
    EXPECT_EQ(cell(d, 6, ParameterDialog::Differs), QStringLiteral("≠"));
    const std::size_t before = received().size();
    run(d, "writeButton");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("F1: 0A00 → 0A10")));
    EXPECT_TRUE(questions[0].contains(QStringLiteral("F3: 0E28 → 0E3C (Vorlaufzeit)")));
    EXPECT_TRUE(questions[0].contains(QStringLiteral("Nicht geschrieben (nur mit „auch Adresse und Baudrate (F0, F6)“): F6")));
    const Commands all = received();
    const Commands written(all.begin() + std::ptrdiff_t(before), all.end());
    EXPECT_EQ(written, (Commands{"$RSPF10A10", "$RSRF1", "$RSPF30E3C", "$RSRF3"}));
    EXPECT_EQ(d.report(), QStringLiteral("Geschrieben und zurückgelesen: 2 Wert(e).\n"
                                         "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                                         "  F3: 0E28 → 0E3C  geschrieben und bestätigt\n"
                                         "  F6: 1010 → 2010  nicht geschrieben (nur mit „auch Adresse und Baudrate (F0, F6)“)\n"));
    EXPECT_EQ(sim->transport().unit().parameter(3), "0E3C");
    EXPECT_EQ(unitCell(d, 3), QStringLiteral("0E3C"));
    // The write shows in the lists as the send button's: the typed command and its answer.
    bool shown = false;
    for (const QByteArray &line : linesOf(*program.w.lb2()))
        shown = shown || line.startsWith("$RSPF30E3C");
    EXPECT_TRUE(shown);
}

TEST_F(ParameterDialogOnTheLine, ALinePulledMidWriteStopsAndReportsWhatReachedTheUnit)
{
    rixsim::TransportOptions options;
    options.hangupAfterWrites = 1;
    startUnit(options);
    connectProgram();
    ParameterDialog &d = openDialog();
    run(d, "readButton");
    d.openFile(writeFile("F1=0A10\nF3=0E3C\n"));
    run(d, "writeButton");
    EXPECT_EQ(d.report(), QStringLiteral("Die Verbindung zur Einheit ist unterbrochen.\n"
                                         "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                                         "  F1: 0A00 → 0A10  geschrieben, nicht bestätigt (Zustand unbekannt)\n"
                                         "  F3: 0E28 → 0E3C  nicht geschrieben\n"));
    EXPECT_FALSE(program.connected());
    // The window reported the loss as it does for a button, and nothing more went out.
    ASSERT_TRUE(waitUntil([&] { return !program.box.texts.empty(); }));
    EXPECT_EQ(program.box.texts[0], QStringLiteral("Die Verbindung zu %1 ist unterbrochen (Fehler 1002).").arg(unitPath()));
    EXPECT_EQ(received().back(), "$RSPF10A10");
    EXPECT_EQ(barText(d), QStringLiteral("Verbindung unterbrochen bei F1"));
    EXPECT_FALSE(button(d, "writeButton")->isEnabled());
    EXPECT_FALSE(button(d, "readButton")->isEnabled());
}

TEST_F(ParameterDialogOnTheLine, NotConnectedTheDialogSaysSoAndOffersNothingThatWrites)
{
    ParameterDialog &d = openDialog();
    EXPECT_TRUE(control<QLabel>(d, "connection")->text().startsWith(QStringLiteral("Nicht verbunden")));
    EXPECT_FALSE(button(d, "readButton")->isEnabled());
    EXPECT_FALSE(button(d, "writeButton")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(d, "lineSettings")->isEnabled());
    EXPECT_TRUE(button(d, "openButton")->isEnabled());
    // A bad line: its number and reason, and nothing loaded.
    d.openFile(writeFile("F1=0A10\nF3=0E3\n"));
    const QString said = control<QLabel>(d, "step")->text();
    EXPECT_TRUE(said.contains(QStringLiteral(":2:"))) << said.toStdString();
    EXPECT_TRUE(said.endsWith(QStringLiteral("Nichts geladen.")));
    EXPECT_EQ(cell(d, 1, ParameterDialog::File), QString());
}

// The shared session against the unit's hostile modes, through the dialog.
struct Hostile {
    const char *name;
    std::function<void(rixsim::Unit &, rixsim::TransportOptions &)> setUp;
    const char *reportStart;          // how the read's report begins
    const char *f2;                   // F2's cell afterwards
};

class HostileUnits : public ParameterDialogOnTheLine, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileUnits, ReadTakesOnlyTheAnswerThatNamesTheParameter)
{
    rixsim::Unit unit;
    rixsim::TransportOptions options;
    GetParam().setUp(unit, options);
    startWith(std::move(unit), std::move(options));
    connectProgram();
    ParameterDialog &d = openDialog();
    run(d, "readButton");
    EXPECT_TRUE(d.report().startsWith(QString::fromUtf8(GetParam().reportStart))) << d.report().toStdString();
    EXPECT_EQ(unitCell(d, 2), QString::fromUtf8(GetParam().f2));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, HostileUnits,
    ::testing::Values(
        Hostile{"late", [](rixsim::Unit &u, auto &) { u.setLateAnswers(true); }, "F0–F6 gelesen.", "1212"},
        Hostile{"chatty",
                [](rixsim::Unit &, rixsim::TransportOptions &o) {
                    o.sendEvery = std::chrono::milliseconds(40);
                    o.sendEveryText = "Status 5 RF2\r\n";
                },
                "F0–F6 gelesen.", "1212"},
        // A parameter the unit never answers is marked, and the read goes on to F6.
        Hostile{"mute", [](rixsim::Unit &u, auto &) { u.setMuted(2, true); },
                "F0–F6 gelesen, ohne Antwort: F2.\nF2 antwortet nicht (auch nicht auf die Wiederholung von „$RSRF2“).",
                "keine Antwort"},
        Hostile{"echoAt19200", [](rixsim::Unit &u, auto &) { u.setEcho(true); },
                "F0: Die Einheit antwortet, sendet aber jeden Befehl vorher zurück, wie sie es nur bei 4800 Baud tut: "
                "sie arbeitet wohl mit 4800 Baud, nicht mit 19200.",
                ""}),
    [](const ::testing::TestParamInfo<Hostile> &info) { return std::string(info.param.name); });

TEST_F(ParameterDialogOnTheLine, AUnitThatIgnoresWritesIsReportedAsNotTaken)
{
    rixsim::Unit unit;
    unit.setKeepsWrites(false);
    startWith(std::move(unit));
    connectProgram();
    ParameterDialog &d = openDialog();
    run(d, "readButton");
    d.openFile(writeFile("F4=0E10\n"));
    run(d, "writeButton");
    EXPECT_EQ(d.report(), QStringLiteral("Nicht jeder geschriebene Wert ist bestätigt. Stand der Einheit:\n"
                                         "  F4: 0E0E → 0E10  geschrieben, nicht übernommen (zurückgelesen 0E0E)\n"));
}

TEST_F(ParameterDialogOnTheLine, AbbrechenFinishesTheParameterOnTheLineAndSendsNothingMore)
{
    startUnit();
    connectProgram();
    ParameterDialog &d = openDialog();
    // Pressed once the third read is on the line.
    cancelOnceReceived(d, 3);
    run(d, "readButton");
    EXPECT_EQ(d.report(), QStringLiteral("Lesen abgebrochen nach 3 von 7 Parametern, danach nichts mehr gesendet."));
    EXPECT_EQ(received(), (Commands{"$RSRF0", "$RSRF1", "$RSRF2"}));
    EXPECT_EQ(unitCell(d, 2), QStringLiteral("1212"));
    EXPECT_EQ(unitCell(d, 3), QString());
    EXPECT_EQ(barText(d), QStringLiteral("Abgebrochen nach F2"));
    EXPECT_FALSE(button(d, "writeButton")->isEnabled());

    // The same during a write: the first value is written and read back, the second is not sent.
    run(d, "readButton");
    d.openFile(writeFile("F1=0A10\nF3=0E3C\n"));
    const std::size_t before = received().size();
    cancelOnceReceived(d, before + 1);
    run(d, "writeButton");
    EXPECT_EQ(d.report(), QStringLiteral("Abgebrochen.\n"
                                         "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
                                         "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
                                         "  F3: 0E28 → 0E3C  nicht geschrieben\n"));
    EXPECT_EQ(received().size(), before + 2);
    EXPECT_EQ(barText(d), QStringLiteral("Abgebrochen nach F1"));
    EXPECT_EQ(sim->transport().unit().parameter(3), "0E28");
}
