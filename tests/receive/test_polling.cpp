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

TEST(Polling, ATextWithoutPauseIsShownInPiecesOfTheByteLimitWithEveryByte)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1->setText("typed");
    QByteArray stream;
    for (int i = 0; stream.size() < 200 * 1024; ++i)
        stream += QByteArray::number(i).rightJustified(7, '0') + "\r\n";
    h.channel.receive(stream);
    h.tick();

    QByteArray expected = stream;
    expected.replace("\r", "").replace("\n", "");
    const int pieces = int((expected.size() + kBurstByteLimit - 1) / kBurstByteLimit);
    ASSERT_EQ(h.w.lbrx->count(), pieces);
    QByteArray shown;
    for (int i = 0; i < pieces; ++i) {
        EXPECT_EQ(h.w.lbrx->lineBytes(i).size(), std::min<qsizetype>(kBurstByteLimit, expected.size() - i * kBurstByteLimit));
        shown += h.w.lbrx->lineBytes(i);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(h.w.lb2->count(), pieces) << "each piece logs the command line beside it";
    EXPECT_TRUE(h.w.tmr1.isActive());
}

TEST(Polling, AContinuationIsShownFromItsFirstByteAtAnyRate)
{
    // At 4800 after a button, the first piece loses the echoed command and the repeated
    // address; the pieces after it belong to the same text and lose nothing.
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.click(h.w.cmdF0);   // ed1 "$RSRF0", flag 1
    const QByteArray head = "$RSRF0SRF0";
    QByteArray text(kBurstByteLimit + 10, 'x');
    text.replace(0, head.size(), head);
    text[kBurstByteLimit] = 'C';
    h.channel.receive(text);
    h.tick();
    ASSERT_EQ(h.w.lbrx->count(), 2);
    EXPECT_EQ(h.w.lbrx->lineBytes(0), text.mid(10, kBurstByteLimit - 10));
    EXPECT_EQ(h.w.lbrx->lineBytes(1), text.mid(kBurstByteLimit));
    // The next text is a new one: the skip rules apply again.
    h.channel.receive("$RSRF0SRF0F011\r\n");
    h.tick();
    EXPECT_EQ(h.w.lbrx->lineBytes(h.w.lbrx->count() - 1), "F011");
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
