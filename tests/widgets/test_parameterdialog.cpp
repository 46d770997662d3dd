// SPDX-License-Identifier: GPL-3.0-or-later
// „Parametersatz …“ on its own, by keyboard: Tab walks the table and the buttons, every
// button has a mnemonic of its own, a value too short is said, and the bar says where a run
// stopped. Controls are found by their names, as automation tools find them.
#include "support/controls.h"
#include "widgets/parameterdialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QProgressBar>
#include <QTableWidget>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::control;

namespace {
QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void type(QWindow *window, const char *keys)
{
    for (const char *c = keys; *c; ++c)
        QTest::keyClick(window, *c);
}
} // namespace

TEST(ParameterDialogKeys, TabAndShiftTabWalkTheTableAndEveryEnabledControlRound)
{
    ParameterDialog d;
    d.setConnection(true, QStringLiteral("Einheit S"));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    control<QTableWidget>(d, "values")->setFocus();
    QStringList forward;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(d.windowHandle(), Qt::Key_Tab);
        forward << focusName();
    }
    // Nothing read, no file: saving, writing and „Abbrechen“ are off and skipped.
    EXPECT_EQ(forward, (QStringList{"readButton", "openButton", "lineSettings", "report", "copyButton", "closeButton",
                                    "values"}));
    QStringList back;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(d.windowHandle(), Qt::Key_Tab, Qt::ShiftModifier);
        back << focusName();
    }
    EXPECT_EQ(back, (QStringList{"closeButton", "copyButton", "report", "lineSettings", "openButton", "readButton",
                                 "values"}));
}

TEST(ParameterDialogKeys, EveryButtonAndTheBoxHaveAMnemonicOfTheirOwn)
{
    ParameterDialog d;
    QStringList keys;
    for (QAbstractButton *button : d.findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        EXPECT_FALSE(key.isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(keys.contains(key.toString())) << button->objectName().toStdString();
        keys << key.toString();
    }
    EXPECT_EQ(keys.size(), 8);
}

TEST(ParameterDialogKeys, AValueTooShortIsSaidAndAWholeOneTaken)
{
    ParameterDialog d;
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto *table = control<QTableWidget>(d, "values");
    table->setFocus();
    table->setCurrentCell(3, ParameterDialog::File);
    type(d.windowHandle(), "e28");
    QTest::keyClick(d.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(d.fileSet().value[3], std::nullopt);
    EXPECT_EQ(control<QLabel>(d, "step")->text(),
              QStringLiteral("F3: „e28“ hat nur 3 Ziffer(n), ein Wert hat vier (0–9, A–F). Nicht übernommen."));
    // Tab in a cell takes its value and leaves the table.
    type(d.windowHandle(), "0e3c");
    QTest::keyClick(d.windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(d.fileSet().value[3], QStringLiteral("0E3C"));
    EXPECT_EQ(control<QLabel>(d, "step")->text(), QString());
    EXPECT_EQ(focusName(), QStringLiteral("openButton"));
    // Shift+Tab in a cell takes its value and goes to the control before the table.
    table->setFocus();
    table->setCurrentCell(4, ParameterDialog::File);
    type(d.windowHandle(), "0e10");
    QTest::keyClick(d.windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(d.fileSet().value[4], QStringLiteral("0E10"));
    EXPECT_EQ(focusName(), QStringLiteral("closeButton"));
}

TEST(ParameterDialogRuns, ABarStoppedEarlySaysWhereAndKeepsItsValueAndANewRunForgetsIt)
{
    ParameterDialog d;
    auto *bar = control<QProgressBar>(d, "progress");
    d.startRun(QStringLiteral("Lesen …"), 7);
    d.setStep(3, QString());
    d.endRun(QStringLiteral("Lesen abgebrochen"), QStringLiteral("Abgebrochen nach F2"));
    EXPECT_EQ(bar->text(), QStringLiteral("Abgebrochen nach F2"));
    EXPECT_EQ(bar->value(), 3);
    d.startRun(QStringLiteral("Lesen …"), 7);
    d.setStep(7, QString());
    d.endRun(QStringLiteral("F0–F6 gelesen."));
    EXPECT_EQ(bar->text(), QStringLiteral("100%"));
}

TEST(ParameterDialogRuns, AfterARunTheKeyboardIsBackOnTheButtonThatStartedIt)
{
    ParameterDialog d;
    d.setConnection(true, QStringLiteral("Einheit S"));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    auto *read = control<QWidget>(d, "readButton");
    read->setFocus();
    d.startRun(QStringLiteral("Lesen …"), 7);
    EXPECT_NE(QApplication::focusWidget(), read);
    d.endRun(QStringLiteral("F0–F6 gelesen."));
    EXPECT_EQ(QApplication::focusWidget(), read);
}

TEST(ParameterDialogRuns, OpeningOrSavingAFileLeavesTheLastRunsReportAndSaysItUnderTheBar)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString good = folder.filePath(QStringLiteral("gut.rixset"));
    const QString bad = folder.filePath(QStringLiteral("schlecht.rixset"));
    for (const auto &[path, text] : {std::pair{good, QByteArray("F3=0E3C\n")}, std::pair{bad, QByteArray("F3=0E3\n")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ParameterDialog d;
    const QString lost = QStringLiteral("Die Verbindung zur Einheit ist unterbrochen.\n"
                                        "  F1: 0A00 → 0A10  geschrieben, nicht bestätigt (Zustand unbekannt)\n");
    d.startRun(QStringLiteral("Schreiben …"), 2);
    d.endRun(lost, QStringLiteral("Verbindung unterbrochen bei F1"));
    auto *said = control<QLabel>(d, "step");

    d.openFile(good);
    EXPECT_EQ(d.fileSet().value[3], QStringLiteral("0E3C"));
    EXPECT_EQ(said->text(), QStringLiteral("Geladen: %1").arg(good));
    EXPECT_EQ(d.report(), lost);
    d.openFile(bad);
    EXPECT_TRUE(said->text().endsWith(QStringLiteral("Nichts geladen."))) << said->text().toStdString();
    EXPECT_EQ(d.report(), lost);
    d.saveFile(folder.filePath(QStringLiteral("neu.rixset")));
    EXPECT_EQ(said->text(), QStringLiteral("Parametersatz in %1 gespeichert.").arg(folder.filePath(QStringLiteral("neu.rixset"))));
    EXPECT_EQ(d.report(), lost);
    // The next run's report replaces it.
    d.startRun(QStringLiteral("Lesen …"), 7);
    EXPECT_EQ(d.report(), QString());
}
