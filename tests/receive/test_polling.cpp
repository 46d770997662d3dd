#include "receive/lamps.h"
#include "receive/polling.h"
#include "support/harness.h"

#include <gtest/gtest.h>

namespace {
QByteArray lastLine(LineView *list) { return list->lineBytes(list->count() - 1); }
}

TEST(Polling, AnAnswerToAParameterButtonShowsItsValue)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0);
    h.channel.receive("SRF0F011\r\n");
    h.tick();
    ASSERT_EQ(h.w.lb2->count(), 1);
    ASSERT_EQ(h.w.lbrx->count(), 1);
    EXPECT_EQ(lastLine(h.w.lb2), "$RSRF0");
    EXPECT_EQ(lastLine(h.w.lbrx), "F011");
    EXPECT_EQ(h.w.lb2->currentLine(), 0);
    EXPECT_EQ(h.w.lbrx->currentLine(), 0);
    EXPECT_TRUE(h.w.tmr1.isActive());
    EXPECT_EQ(h.state.DisplayStart, 1);
}

TEST(Polling, At4800TheEchoedCommandIsSkipped)
{
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.click(h.w.cmdF0);
    h.channel.receive("$RSRF0SRF0F011\r\n");
    h.tick();
    EXPECT_EQ(lastLine(h.w.lbrx), "F011");
    EXPECT_EQ(h.state.DisplayStart, 7);
}

TEST(Polling, ATickWithNothingWaitingChangesNoListButRefreshesTheLamps)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.status = ModemLine::CTS;
    h.tick();
    EXPECT_EQ(h.w.lb2->count(), 0);
    EXPECT_EQ(h.w.lbrx->count(), 0);
    EXPECT_EQ(h.channel.statusReads, 1);
    EXPECT_EQ(h.w.lblrx8->palette().color(QPalette::WindowText), lampRed());
    EXPECT_TRUE(h.w.tmr1.isActive());
    EXPECT_EQ(h.w.tmr1.interval(), MainWindow::kPollIntervalMs);
}

TEST(Polling, BlankBurstsLogTheCommandLineButShowNoAnswer)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1->setText("abc");
    h.channel.receive("    ");
    h.tick();
    EXPECT_EQ(h.w.lb2->count(), 1);
    EXPECT_EQ(lastLine(h.w.lb2), "abc");
    EXPECT_EQ(h.w.lbrx->count(), 0);
}

TEST(Polling, AGapSplitsAnAnswerIntoTwoLines)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1->setText("typed");   // flag 0 after connecting: the whole burst is shown
    h.channel.receive("AB");
    h.channel.receive("CD\r\n");
    h.tick();
    h.tick();
    ASSERT_EQ(h.w.lbrx->count(), 2);
    EXPECT_EQ(h.w.lbrx->lineBytes(0), "AB");
    EXPECT_EQ(h.w.lbrx->lineBytes(1), "CD");
    EXPECT_EQ(h.w.lb2->count(), 2);
    EXPECT_EQ(h.w.lbrx->currentLine(), 1);
}

TEST(Polling, LeadingLineEndIsKeptAsReceived)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.receive("\rOK\r\n");
    h.tick();
    EXPECT_EQ(lastLine(h.w.lbrx), "\rOK");
}

TEST(Polling, AnEndlessBurstIsCutWithoutLosingOrReorderingBytes)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    QByteArray stream;
    for (int i = 0; stream.size() < 3 * kBurstByteLimit; ++i)
        stream += QByteArray::number(i).rightJustified(7, '0') + "\r\n";
    h.channel.receive(stream);

    int ticks = 0;
    while (h.channel.pendingReads() > 0 && ticks < 100) {
        h.tick();
        ++ticks;
        if (h.channel.pendingReads() > 0) {
            EXPECT_EQ(h.w.tmr1.interval(), 0) << "the rest follows at once";
        }
    }
    EXPECT_GE(h.w.lbrx->count(), 3);
    QByteArray shown;
    for (int i = 0; i < h.w.lbrx->count(); ++i)
        shown += h.w.lbrx->lineBytes(i);
    QByteArray expected = stream;
    expected.replace("\r", "").replace("\n", "");
    shown.replace("\r", "").replace("\n", "");
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(h.w.tmr1.interval(), MainWindow::kPollIntervalMs);
}

TEST(Polling, AFailedReadEndsInTheFatalErrorReport)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.failReadWith = 5;
    h.tick();
    h.tick();
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_TRUE(h.box.texts[0].startsWith("Es ist ein Fehler aufgetreten: 5"));
    EXPECT_EQ(h.box.shownWithPollingOn, 0);
    EXPECT_EQ(h.end.ends, 1);
}
