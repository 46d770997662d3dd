// SPDX-License-Identifier: GPL-3.0-or-later
// „Parametersatz …“ on the fakes: opening it changes nothing on the line, and its read is
// the F buttons' presses, byte for byte and pause for pause.
#include "support/controls.h"
#include "support/harness.h"

#include "widgets/lineview.h"
#include "widgets/parameterdialog.h"
#include "window/commands/parameterset.h"

#include <QApplication>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <map>

using testsupport::control;

namespace {
// The unit answers each read of Fn with "<digit>RFn<value>" and CR LF.
void answerReads(Harness &h, char digit)
{
    h.channel.beforeWrite = [&h, digit](const QByteArray &bytes) {
        if (bytes.size() == 6 && bytes.mid(3, 2) == "RF")
            h.channel.receive(QByteArray(1, digit) + "RF" + bytes.mid(5, 1) + "0A0" + bytes.mid(5, 1) + "\r\n");
    };
}
// A unit that keeps what is written: each read of Fn is answered with its value, under the
// address asked (the unit answers S and its own digit alike).
void actAsUnit(Harness &h, std::array<QByteArray, 7> &values)
{
    h.channel.beforeWrite = [&h, &values](const QByteArray &bytes) {
        const int n = bytes.size() >= 6 ? bytes.at(5) - '0' : -1;
        if (n < 0 || n > 6)
            return;
        if (bytes.size() == 6 && bytes.mid(3, 2) == "RF")
            h.channel.receive(bytes.mid(2, 4) + values[std::size_t(n)] + "\r\n");
        else if (bytes.size() == 10 && bytes.mid(3, 2) == "PF")
            values[std::size_t(n)] = bytes.mid(6, 4);
    };
}

// Clicks the dialog's button and lets its run go to its end: each exchange waits for the
// unit's pause after the answer before it.
void run(ParameterDialog &d, const char *button)
{
    control<QPushButton>(d, button)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isRunning(); }, 5000)) << button;
}

std::vector<QByteArray> writesSince(const Harness &h, std::size_t before)
{
    return {h.channel.writes.begin() + std::ptrdiff_t(before), h.channel.writes.end()};
}
} // namespace

TEST(ParameterSet, CtrlPOpensTheDialogAndNothingGoesToTheUnit)
{
    Harness h;
    h.showWindow();
    h.connectWith("COM1", "19200", "7");
    const std::size_t writesBefore = h.channel.writes.size();
    QTest::keyClick(h.w.windowHandle(), Qt::Key_P, Qt::ControlModifier);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(control<QLabel>(*d, "connection")->text(), QStringLiteral("Einheit 7 an COM1 mit 19200 Baud"));
    EXPECT_EQ(h.channel.writes.size(), writesBefore);
    EXPECT_TRUE(h.pause.pauses.empty());
    // The captions in the window's words, without the blanks that line up the window's label.
    EXPECT_EQ(h.w.lblF3()->text(),
              QStringLiteral("Vorlaufzeit") + QString(43, u' ') + QStringLiteral("(0E28)\n3.,4. Stelle  [N*5ms] "));
    EXPECT_EQ(control<QTableWidget>(*d, "values")->item(3, ParameterDialog::Caption)->text(),
              QStringLiteral("Vorlaufzeit (0E28)\n3.,4. Stelle [N*5ms]"));
    d->close();
}

TEST(ParameterSet, ReadSendsTheFButtonsBytesWithTheirPausesAndShowsEachAnswer)
{
    Harness h;
    h.connectWith("COM1", "19200", "7");
    h.pause.watch(h.conversation.pollTimer());
    answerReads(h, '7');
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    const std::size_t writesBefore = h.channel.writes.size();
    run(*d, "readButton");
    EXPECT_EQ(d->report(), QStringLiteral("F0–F6 gelesen."));
    std::vector<QByteArray> expected;
    for (int n = 0; n < 7; ++n)
        expected.push_back("$R7RF" + QByteArray::number(n));
    EXPECT_EQ(std::vector<QByteArray>(h.channel.writes.begin() + std::ptrdiff_t(writesBefore), h.channel.writes.end()),
              expected);
    EXPECT_EQ(h.pause.pauses, std::vector<int>(7, 165));
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    EXPECT_EQ(h.state.ButtonCommandFlag, 0) << "the dialog's exchanges leave the window's flag as it was";
    EXPECT_EQ(h.w.ed1()->text(), QString()) << "and its command line";
    EXPECT_EQ(control<QTableWidget>(*d, "values")->item(5, ParameterDialog::Unit)->text(), QStringLiteral("0A05"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.w.lbrx()->count() == 7; }, 5000));
    EXPECT_EQ(h.w.lbrx()->lineBytes(6), QByteArray("0A06"));
    EXPECT_TRUE(h.w.lb2()->lineBytes(6).startsWith("$R7RF6"));
    d->close();
}

TEST(ParameterSet, WhileATrKeyIsHeldCtrlPOpensNothingSoTheReleaseStillGoesOut)
{
    Harness h;
    h.showWindow();
    h.connectWith("COM1", "19200", "7");
    h.press(h.w.cmdTR1());
    QTest::keyClick(h.w.windowHandle(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(parameterDialog(h.p), nullptr);
    h.release(h.w.cmdTR1());
    EXPECT_EQ(h.channel.written(), "$R7E1$R7EA");
    EXPECT_FALSE(h.state.keyHeld);
}

TEST(ParameterSet, TheUnitsValuesAreForgottenOnceThePortIsOpenedAgain)
{
    Harness h;
    h.connectWith("COM1", "19200", "7");
    answerReads(h, '7');
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    run(*d, "readButton");
    ASSERT_EQ(d->unitSet().value[5], QStringLiteral("0A05"));
    d->close();

    // Another unit may be on the line now: a write must not be planned against the old values.
    h.click(h.w.cmdAUS());
    h.connectWith("COM1", "19200", "7");
    showParameterSet(h.p);
    EXPECT_EQ(d->unitSet().value[5], std::nullopt);
    EXPECT_EQ(control<QTableWidget>(*d, "values")->item(5, ParameterDialog::Unit)->text(), QString());
    EXPECT_FALSE(control<QPushButton>(*d, "writeButton")->isEnabled());
    d->close();
}

namespace {
// The round „without the mouse“ as a manual writes it, one step per comma: a key with its
// modifiers ("Ctrl+P", "Umschalt+Tab", "↓ ↓ ↓"), a text in backticks to type, or the answer
// „Ja“ to the question. Read from the file, so that the test runs what the reader is told.
QStringList roundInManual(const QString &file, const QString &lead)
{
    QFile manual(QStringLiteral(RIX_SOURCE_DOCS "/") + file);
    if (!manual.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(manual.readAll()).simplified();
    const qsizetype from = text.indexOf(lead);
    if (from < 0)
        return {};
    const qsizetype begin = from + lead.size();
    const qsizetype end = text.indexOf(QStringLiteral("Esc."), begin);
    if (end < 0)
        return {};
    QStringList steps;
    for (const QString &step : text.mid(begin, end + 3 - begin).split(QLatin1Char(',')))
        steps << step.trimmed();
    return steps;
}

struct KeyStep {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    int times = 1;
};

// A key as the manuals name it, in English or German; Key_unknown for anything else.
KeyStep keyNamed(const QString &step)
{
    static const std::map<QString, Qt::KeyboardModifier> modifiers = {
        {QStringLiteral("Ctrl"), Qt::ControlModifier}, {QStringLiteral("Strg"), Qt::ControlModifier},
        {QStringLiteral("Alt"), Qt::AltModifier},      {QStringLiteral("Shift"), Qt::ShiftModifier},
        {QStringLiteral("Umschalt"), Qt::ShiftModifier}};
    static const std::map<QString, Qt::Key> keys = {
        {QStringLiteral("Tab"), Qt::Key_Tab},       {QStringLiteral("Enter"), Qt::Key_Return},
        {QStringLiteral("Eingabe"), Qt::Key_Return}, {QStringLiteral("Esc"), Qt::Key_Escape},
        {QStringLiteral("↓"), Qt::Key_Down},        {QStringLiteral("↑"), Qt::Key_Up}};
    KeyStep result;
    const QStringList repeated = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    result.times = int(repeated.size());
    if (repeated.isEmpty() || repeated.count(repeated.front()) != repeated.size())
        return {};
    QStringList parts = repeated.front().split(QLatin1Char('+'));
    const QString name = parts.takeLast();
    for (const QString &part : parts) {
        const auto modifier = modifiers.find(part);
        if (modifier == modifiers.end())
            return {};
        result.modifiers |= modifier->second;
    }
    if (const auto key = keys.find(name); key != keys.end())
        result.key = key->second;
    else if (name.size() == 1 && name.front().isLetter())
        result.key = Qt::Key(Qt::Key_A + (name.front().toUpper().unicode() - u'A'));
    return result;
}
} // namespace

// The manual's and the Handbuch's round by keyboard, key for key as they write it, writes
// 0E3C into F3.
TEST(ParameterSet, TheManualsRoundByKeyboardWritesF3)
{
    const struct {
        const char *file;
        const char *lead;
    } manuals[] = {{"manual.md", "A whole round without the mouse:"}, {"handbuch.md", "Ein ganzer Durchgang ohne Maus:"}};
    for (const auto &manual : manuals) {
        SCOPED_TRACE(manual.file);
        const QStringList steps = roundInManual(QString::fromLatin1(manual.file), QString::fromUtf8(manual.lead));
        ASSERT_FALSE(steps.isEmpty()) << "the round is no longer in the manual as the test reads it";
        Harness h;
        h.showWindow();
        h.connectWith("COM1", "19200", "S");
        std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
        actAsUnit(h, unit);
        QStringList questions;
        const std::size_t before = h.channel.writes.size();
        for (const QString &step : steps) {
            SCOPED_TRACE(step.toStdString());
            ParameterDialog *d = parameterDialog(h.p);
            if (d && questions.isEmpty()) {
                d->setQuestion([&questions](QWidget *, const QString &text) {
                    questions << text;
                    return true;
                });
            }
            QWindow *keys = d && d->isVisible() ? d->windowHandle() : h.w.windowHandle();
            if (step.endsWith(QStringLiteral("„Ja“"))) {
                // The question was asked by the key before, and answered „Ja“.
                EXPECT_EQ(questions.size(), 1);
                continue;
            }
            if (step.startsWith(QLatin1Char('`')) && step.endsWith(QLatin1Char('`'))) {
                for (const QChar c : step.mid(1, step.size() - 2))
                    QTest::keyClick(keys, c.toLatin1());
                continue;
            }
            const KeyStep key = keyNamed(step);
            ASSERT_NE(key.key, Qt::Key_unknown) << "a step the test cannot press";
            for (int i = 0; i < key.times; ++i)
                QTest::keyClick(keys, key.key, key.modifiers);
            // The reader waits for the dialog, and for a run to its end, as the bar shows it.
            d = parameterDialog(h.p);
            ASSERT_NE(d, nullptr);
            if (d->isVisible()) {
                ASSERT_TRUE(QTest::qWaitForWindowActive(d));
                ASSERT_TRUE(QTest::qWaitFor([&] { return !d->isRunning(); }, 5000));
                QTest::qWait(150);   // a mnemonic presses its button a moment later
                ASSERT_TRUE(QTest::qWaitFor([&] { return !d->isRunning(); }, 5000));
            }
        }
        ParameterDialog *d = parameterDialog(h.p);
        ASSERT_NE(d, nullptr);
        EXPECT_FALSE(d->isVisible());
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions[0].contains(QStringLiteral("F3: 0E28 → 0E3C"))) << questions[0].toStdString();
        EXPECT_EQ(d->report(), QStringLiteral("Geschrieben und zurückgelesen: 1 Wert(e).\n"
                                              "  F3: 0E28 → 0E3C  geschrieben und bestätigt\n"));
        std::vector<QByteArray> expected;
        for (int n = 0; n < 7; ++n)
            expected.push_back("$RSRF" + QByteArray::number(n));
        expected.push_back("$RSPF30E3C");
        expected.push_back("$RSRF3");
        EXPECT_EQ(writesSince(h, before), expected);
        EXPECT_EQ(unit[3], QByteArray("0E3C"));
    }
}

TEST(ParameterSet, AfterAReadTheKeysAreInTheTableWhereverTheyWereAndEachOpeningStartsAtF0)
{
    Harness h;
    h.showWindow();
    h.connectWith("COM1", "19200", "S");
    std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    actAsUnit(h, unit);
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    auto *table = control<QTableWidget>(*d, "values");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == table; }, 2000));
    table->setCurrentCell(4, ParameterDialog::Unit);
    // Read by the button, from the report: the keys come back to the table, in F4's file value.
    control<QWidget>(*d, "report")->setFocus();
    run(*d, "readButton");
    EXPECT_EQ(QApplication::focusWidget(), table);
    EXPECT_EQ(table->currentRow(), 4);
    EXPECT_EQ(table->currentColumn(), int(ParameterDialog::File));
    d->close();
    showParameterSet(h.p);
    ASSERT_TRUE(QTest::qWaitForWindowActive(d));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == table; }, 2000));
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_EQ(table->currentColumn(), int(ParameterDialog::File));
    d->close();
}

TEST(ParameterSet, ANoToTheQuestionPutsNoWriteOnTheLine)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    actAsUnit(h, unit);
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    QStringList questions;
    d->setQuestion([&questions](QWidget *, const QString &text) {
        questions << text;
        return false;
    });
    run(*d, "readButton");
    d->setFileValue(3, QStringLiteral("0E3C"));
    const std::size_t before = h.channel.writes.size();
    control<QPushButton>(*d, "writeButton")->click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].startsWith(QStringLiteral("Diese Werte in die Einheit schreiben?\n\nF3: 0E28 → 0E3C")));
    EXPECT_EQ(writesSince(h, before), std::vector<QByteArray>{});
    EXPECT_EQ(d->report(), QStringLiteral("Nichts geschrieben."));
    EXPECT_EQ(unit[3], QByteArray("0E28"));
    d->close();
}

TEST(ParameterSet, AfterANewAddressIsWrittenTheReadsAreStillTheFButtonsBytes)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    actAsUnit(h, unit);
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    d->setQuestion([](QWidget *, const QString &) { return true; });
    run(*d, "readButton");
    d->setFileValue(0, QStringLiteral("3011"));
    control<QCheckBox>(*d, "lineSettings")->setChecked(true);
    std::size_t before = h.channel.writes.size();
    run(*d, "writeButton");
    EXPECT_EQ(writesSince(h, before), (std::vector<QByteArray>{"$RSPF03011", "$RSRF0"}));
    EXPECT_EQ(d->unitSet().value[0], QStringLiteral("3011"));
    before = h.channel.writes.size();
    run(*d, "readButton");
    EXPECT_EQ(writesSince(h, before),
              (std::vector<QByteArray>{"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF4", "$RSRF5", "$RSRF6"}));
    d->close();
}

TEST(ParameterSet, AParameterTheUnitNeverAnswersIsMarkedAndTheReadGoesOnToF6)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    actAsUnit(h, unit);
    const auto answers = h.channel.beforeWrite;
    h.channel.beforeWrite = [&](const QByteArray &bytes) {
        if (bytes != "$RSRF2")
            answers(bytes);
    };
    // Each read of F2 waits out its two seconds at once: the clock moves on in its pause.
    std::chrono::milliseconds later{0};
    h.conversation.setClock([&later] { return std::chrono::steady_clock::now() + later; });
    h.pause.during = [&](int) {
        if (h.channel.writes.back() == "$RSRF2")
            later += std::chrono::milliseconds(2000);
    };
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    const std::size_t before = h.channel.writes.size();
    run(*d, "readButton");
    EXPECT_EQ(writesSince(h, before), (std::vector<QByteArray>{"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF2", "$RSRF3",
                                                               "$RSRF4", "$RSRF5", "$RSRF6"}));
    EXPECT_EQ(d->report(), QStringLiteral("F0–F6 gelesen, ohne Antwort: F2.\n"
                                          "F2 antwortet nicht (auch nicht auf die Wiederholung von „$RSRF2“).\n"
                                          "Geschrieben wird erst nach einem Lesen, bei dem alle sieben antworten."));
    const auto *values = control<QTableWidget>(*d, "values");
    EXPECT_EQ(values->item(2, ParameterDialog::Unit)->text(), QStringLiteral("keine Antwort"));
    EXPECT_EQ(values->item(6, ParameterDialog::Unit)->text(), QStringLiteral("1010"));
    d->close();
}

TEST(ParameterSet, AbbrechenWhileAReadWaitsForItsAnswerSendsNoRetry)
{
    // F1 is not answered; „Abbrechen“ comes while its first read waits: nothing more goes out,
    // not even the read's second try, and the report says so.
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::array<QByteArray, 7> unit = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    actAsUnit(h, unit);
    const auto answers = h.channel.beforeWrite;
    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    h.channel.beforeWrite = [&](const QByteArray &bytes) {
        if (bytes == "$RSRF1")
            QTimer::singleShot(50, d, [d] { control<QPushButton>(*d, "cancelButton")->click(); });
        else
            answers(bytes);
    };
    const std::size_t before = h.channel.writes.size();
    run(*d, "readButton");
    EXPECT_EQ(writesSince(h, before), (std::vector<QByteArray>{"$RSRF0", "$RSRF1"}));
    EXPECT_EQ(d->report(), QStringLiteral("Lesen abgebrochen nach 1 von 7 Parametern, danach nichts mehr gesendet."));
    QTest::qWait(400);
    EXPECT_EQ(writesSince(h, before).size(), 2u) << "nothing went out after the report either";
    d->close();
}
