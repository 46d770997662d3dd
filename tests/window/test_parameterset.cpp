// SPDX-License-Identifier: GPL-3.0-or-later
// „Parametersatz …“ on the fakes: opening it changes nothing on the line, and its read is
// the F buttons' presses, byte for byte and pause for pause.
#include "support/harness.h"

#include "widgets/lineview.h"
#include "widgets/parameterdialog.h"
#include "window/commands/parameterset.h"

#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {
// The unit answers each read of Fn with "<digit>RFn<value>" and CR LF.
void answerReads(Harness &h, char digit)
{
    h.channel.beforeWrite = [&h, digit](const QByteArray &bytes) {
        if (bytes.size() == 6 && bytes.mid(3, 2) == "RF")
            h.channel.receive(QByteArray(1, digit) + "RF" + bytes.mid(5, 1) + "0A0" + bytes.mid(5, 1) + "\r\n");
    };
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
    EXPECT_EQ(d->connectionLabel()->text(), QStringLiteral("Einheit 7 an COM1 mit 19200 Baud"));
    EXPECT_EQ(h.channel.writes.size(), writesBefore);
    EXPECT_TRUE(h.pause.pauses.empty());
    // The captions as the window shows them.
    EXPECT_EQ(d->table()->item(3, ParameterDialog::Caption)->text(),
              QStringLiteral("Vorlaufzeit") + QString(43, u' ') + QStringLiteral("(0E28)\n3.,4. Stelle  [N*5ms] "));
    EXPECT_EQ(d->table()->item(3, ParameterDialog::Caption)->text(), h.w.lblF3()->text());
    d->close();
}

TEST(ParameterSet, ReadSendsTheFButtonsBytesWithTheirPausesAndShowsEachAnswer)
{
    Harness h;
    h.connectWith("COM1", "19200", "7");
    h.pause.watch(h.receiver.pollTimer());
    answerReads(h, '7');
    ParameterSet_Show(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    const std::size_t writesBefore = h.channel.writes.size();
    d->readButton()->click();
    EXPECT_EQ(d->report(), QStringLiteral("F0–F6 gelesen."));
    std::vector<QByteArray> expected;
    for (int n = 0; n < 7; ++n)
        expected.push_back("$R7RF" + QByteArray::number(n));
    EXPECT_EQ(std::vector<QByteArray>(h.channel.writes.begin() + std::ptrdiff_t(writesBefore), h.channel.writes.end()),
              expected);
    EXPECT_EQ(h.pause.pauses, std::vector<int>(7, 165));
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    EXPECT_EQ(h.state.ButtonCommandFlag, 1);
    EXPECT_EQ(d->table()->item(5, ParameterDialog::Unit)->text(), QStringLiteral("0A05"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return h.w.lbrx()->count() == 7; }, 5000));
    EXPECT_EQ(h.w.lbrx()->lineBytes(6), QByteArray("0A06"));
    EXPECT_TRUE(h.w.lb2()->lineBytes(6).startsWith("$R7RF6"));
    // The listener is gone with the read: the window is as it was.
    EXPECT_FALSE(h.receiver.listener);
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
    ParameterSet_Show(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    ASSERT_NE(d, nullptr);
    d->readButton()->click();
    ASSERT_EQ(d->unitSet().value[5], QStringLiteral("0A05"));
    d->close();

    // Another unit may be on the line now: a write must not be planned against the old values.
    h.click(h.w.cmdAUS());
    h.connectWith("COM1", "19200", "7");
    ParameterSet_Show(h.p);
    EXPECT_EQ(d->unitSet().value[5], std::nullopt);
    EXPECT_EQ(d->table()->item(5, ParameterDialog::Unit)->text(), QString());
    EXPECT_FALSE(d->writeButton()->isEnabled());
    d->close();
}
