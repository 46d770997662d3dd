// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "support/liveprogram.h"
#include "window/app/dispatch.h"
#include "window/commands/parameterset.h"
#include "window/receive/lamps.h"
#include "window/receive/polling.h"
#include "window/receive/receiver.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <functional>

namespace {
QByteArray lastLine(LineView *list) { return list->lineBytes(list->count() - 1); }
}

TEST(Polling, AnAnswerToAParameterButtonShowsItsValue)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    h.channel.receive("SRF0F011\r\n");
    h.tick();
    ASSERT_EQ(h.w.lb2()->count(), 1);
    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(lastLine(h.w.lb2()), "$RSRF0");
    EXPECT_EQ(lastLine(h.w.lbrx()), "F011");
    EXPECT_EQ(h.w.lb2()->currentLine(), 0);
    EXPECT_EQ(h.w.lbrx()->currentLine(), 0);
    EXPECT_TRUE(h.conversation.isPolling());
}

TEST(Polling, At4800TheEchoedCommandIsSkipped)
{
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.click(h.w.cmdF0());
    h.channel.receive("$RSRF0SRF0F011\r\n");
    h.tick();
    EXPECT_EQ(lastLine(h.w.lbrx()), "F011");
}

TEST(Polling, ATickWithNothingWaitingChangesNoListButRefreshesTheLamps)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.status = ModemLine::cts;
    h.tick();
    EXPECT_EQ(h.w.lb2()->count(), 0);
    EXPECT_EQ(h.w.lbrx()->count(), 0);
    EXPECT_EQ(h.channel.statusReads, 1);
    EXPECT_EQ(h.w.lblrx8()->palette().color(QPalette::WindowText), lampRed());
    EXPECT_TRUE(h.conversation.isPolling());
    EXPECT_EQ(h.conversation.pollTimer().interval(), 50);
}

TEST(Polling, BlankBurstsLogTheCommandLineButShowNoAnswer)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->setText("abc");
    h.channel.receive("    ");
    h.tick();
    EXPECT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(lastLine(h.w.lb2()), "abc");
    EXPECT_EQ(h.w.lbrx()->count(), 0);
}

TEST(Polling, AGapSplitsAnAnswerIntoTwoLines)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->setText("typed");   // flag 0 after connecting: the whole burst is shown
    h.channel.receive("AB");
    h.channel.receive("CD\r\n");
    h.tick();
    h.tick();
    ASSERT_EQ(h.w.lbrx()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "AB");
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), "CD");
    EXPECT_EQ(h.w.lb2()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->currentLine(), 1);
}

TEST(Polling, LeadingLineEndIsKeptAsReceived)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.channel.receive("\rOK\r\n");
    h.tick();
    EXPECT_EQ(lastLine(h.w.lbrx()), "\rOK");
}

TEST(Polling, ATextWithoutPauseIsShownInPiecesOf65536BytesWithEveryByte)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->setText("typed");
    QByteArray stream;
    for (int i = 0; i < 20480; ++i)
        stream += QByteArray::number(i).rightJustified(8, '0') + "\r\n";
    h.channel.receive(stream);
    h.tick();

    QByteArray expected = stream;
    expected.replace("\r", "").replace("\n", "");
    ASSERT_EQ(expected.size(), 163840);
    ASSERT_EQ(h.w.lbrx()->count(), 3);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), expected.mid(0, 65536));
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), expected.mid(65536, 65536));
    EXPECT_EQ(h.w.lbrx()->lineBytes(2), expected.mid(131072));
    EXPECT_EQ(h.w.lb2()->count(), 3) << "each piece logs the command line beside it";
    EXPECT_TRUE(h.conversation.isPolling());
}

TEST(Polling, APieceAfterTheByteLimitIsShownFromItsFirstByteAndBlankTested)
{
    // At 4800 after a button, the first piece loses the echoed command and the repeated
    // address; the pieces after it belong to the same text and lose nothing.
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.click(h.w.cmdF0());   // ed1 "$RSRF0", flag 1
    QByteArray text = "$RSRF0SRF0" + QByteArray(65526, 'x') + "C\r\nDE";
    h.channel.receive(text);
    h.tick();
    ASSERT_EQ(h.w.lbrx()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), QByteArray(65526, 'x'));
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), "CDE");
    // The next text is a new one: the skip rules apply again.
    h.channel.receive("$RSRF0SRF0F011\r\n");
    h.tick();
    ASSERT_EQ(h.w.lbrx()->count(), 3);
    EXPECT_EQ(h.w.lbrx()->lineBytes(2), "F011");

    // 65,536 x "A" and then 100 blanks: the blank piece logs its lb2 line only. (The first
    // piece loses 2L - 2 = 4 characters: the echo of "abc" and one more.)
    h.w.ed1()->setText("abc");
    h.channel.receive(QByteArray(65536, 'A') + QByteArray(100, ' '));
    h.tick();
    ASSERT_EQ(h.w.lbrx()->count(), 4);
    EXPECT_EQ(h.w.lbrx()->lineBytes(3), QByteArray(65532, 'A'));
    ASSERT_EQ(h.w.lb2()->count(), 5);
    EXPECT_EQ(h.w.lb2()->lineBytes(4), "abc");
}

namespace {
// A text the unit is still sending when the user presses F0: the press waits until the unit
// pauses (the clock moves on 30 ms later), then F0 goes out and is answered.
void unaskedTextThenF0(Harness &h, const QByteArray &answer)
{
    std::chrono::steady_clock::time_point frozen{};
    h.conversation.setClock([&frozen] { return frozen; });
    h.channel.receiveWithoutGap("UNASKED");
    h.channel.notifyArrival();
    ASSERT_TRUE(h.receiver.isOpen());
    QTimer::singleShot(30, [&] {
        frozen += std::chrono::milliseconds(20);
        dispatchReceive(h.p, [](Program &p) { p.conversation.quietTimeOver(); });
    });
    h.click(h.w.cmdF0());
    ASSERT_EQ(h.w.lbrx()->count(), 1) << "the text was shown before the press went";
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "UNASKED");
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    h.conversation.setClock([] { return std::chrono::steady_clock::now(); });
    h.channel.receive(answer);
    h.tick();
}
} // namespace

TEST(Polling, AfterTheUnitsPauseTheAnswerToTheUsersCommandFollowsTheRules)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    unaskedTextThenF0(h, "SRF0F011\r\n");
    ASSERT_EQ(h.w.lbrx()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), "F011");
    ASSERT_EQ(h.w.lb2()->count(), 2);
    EXPECT_EQ(h.w.lb2()->lineBytes(1), "$RSRF0");

    Harness echo;
    echo.connectWith("COM1", "4800", "S");
    unaskedTextThenF0(echo, "$RSRF0SRF0F011\r\n");
    ASSERT_EQ(echo.w.lbrx()->count(), 2);
    EXPECT_EQ(echo.w.lbrx()->lineBytes(1), "F011");

    // A CR/LF-only answer is a new text: its first CR is kept.
    h.w.ed1()->setText("ab");
    h.click(h.w.cmdSendentx());
    h.channel.receive("\r\n");
    h.tick();
    ASSERT_EQ(h.w.lb2()->count(), 3);
    EXPECT_EQ(h.w.lb2()->lineBytes(2), "ab");
    ASSERT_EQ(h.w.lbrx()->count(), 3);
    EXPECT_EQ(h.w.lbrx()->lineBytes(2), "\r");
}

TEST(Polling, AGapUnder20MsKeepsOneLineAGapOver20MsStartsANewOne)
{
    // On a clock the test moves: the quiet timer only wakes the check, the clock decides.
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->setText("typed");
    std::chrono::steady_clock::time_point now{};
    h.conversation.setClock([&now] { return now; });
    const auto quietTimerFires = [&h] { dispatchReceive(h.p, [](Program &p) { p.conversation.quietTimeOver(); }); };
    const auto arrive = [&h](const QByteArray &bytes) {
        h.channel.receiveWithoutGap(bytes);
        h.channel.notifyArrival();
    };
    for (const int gapMs : {15, 19, 21, 30}) {
        const int before = h.w.lbrx()->count();
        arrive("AB");
        now += std::chrono::milliseconds(gapMs);
        quietTimerFires();
        arrive("CD");
        now += std::chrono::milliseconds(40);
        quietTimerFires();
        if (gapMs < 20) {
            ASSERT_EQ(h.w.lbrx()->count(), before + 1) << gapMs << " ms";
            EXPECT_EQ(h.w.lbrx()->lineBytes(before), "ABCD");
        } else {
            ASSERT_EQ(h.w.lbrx()->count(), before + 2) << gapMs << " ms";
            EXPECT_EQ(h.w.lbrx()->lineBytes(before + 1), "CD");
        }
    }

    // A trickle, one byte every 15 ms for 2 s: never a 20 ms pause, so one line.
    const int before = h.w.lbrx()->count();
    for (int i = 0; i < 133; ++i) {
        arrive(QByteArray(1, char('a' + i % 26)));
        now += std::chrono::milliseconds(15);
        quietTimerFires();
    }
    now += std::chrono::milliseconds(20);
    quietTimerFires();
    ASSERT_EQ(h.w.lbrx()->count(), before + 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(before).size(), 133);
}

TEST(Polling, WhatThePortStillHoldsWhenItIsLostIsShownByTheRules)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    // The answer came after the command's pause, and then the port went: the loss is found
    // first (that is how the program learns of it), then what the port had read is shown.
    h.channel.receive("SRF0F011\r\n");
    h.channel.hangUp();
    h.channel.notifyArrival();
    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "F011");
    EXPECT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.box.texts.size(), 1u) << "and then the loss is reported";

    // An open text takes the rest, and it is one line.
    h.connectWith("COM1", "19200", "S");
    h.channel.receiveWithoutGap("SRF0");
    h.channel.notifyArrival();
    ASSERT_TRUE(h.receiver.isOpen());
    h.channel.receive("F012\r\n");
    h.channel.hangUp();
    h.channel.notifyArrival();
    EXPECT_FALSE(h.receiver.isOpen());
    ASSERT_EQ(h.w.lbrx()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), "F012");
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

TEST(Polling, UnderAStreamAKeyGoesWithin25MsAtALineEndAndTheTextStaysAsTheUnitSentIt)
{
    // The unit streams without a quiet time (the clock stands still). The margins are wide.
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::chrono::steady_clock::time_point frozen{};
    h.conversation.setClock([&frozen] { return frozen; });
    const auto stream = [&h](const QByteArray &bytes) {
        h.channel.receiveWithoutGap(bytes);
        h.channel.notifyArrival();
    };
    QElapsedTimer took;

    // In the middle of a line: the press waits at most 25 ms for its end.
    stream("STATUS 1\r\nSTAT");
    ASSERT_TRUE(h.receiver.isOpen());
    took.start();
    h.press(h.w.cmdTR1());
    EXPECT_LT(took.elapsed(), 400) << "a key waits at most 25 ms";
    EXPECT_EQ(h.channel.written(), "$RSE1");
    stream("US 2\r\nSE1\r\nSTATUS 3\r\n");

    // The release waits for nothing: the unit is at a line end.
    took.restart();
    h.release(h.w.cmdTR1());
    EXPECT_LT(took.elapsed(), 400);
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
    stream("STATUS 4\r\nSEA\r\n");
    EXPECT_EQ(h.w.lbrx()->count(), 0) << "nothing is cut for a key";

    // The text as it would have been without the keys, their answers where they came, under
    // the command line of its first byte.
    frozen += std::chrono::milliseconds(20);
    dispatchReceive(h.p, [](Program &p) { p.conversation.quietTimeOver(); });
    EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{""}));
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"STATUS 1STATUS 2SE1STATUS 3STATUS 4SEA"}));
}

TEST(Polling, UnderAStreamACommandWaitsASecondForAPauseThenGoesAtTheNextLineEnd)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    std::chrono::steady_clock::time_point frozen{};
    h.conversation.setClock([&frozen] { return frozen; });
    const auto stream = [&h](const QByteArray &bytes) {
        h.channel.receiveWithoutGap(bytes);
        h.channel.notifyArrival();
    };
    stream("LINE01\r\nLI");
    // The line end comes after the second the press waits for a pause.
    QTimer::singleShot(1200, [&] { stream("NE02\r\nLINE03\r\nLI"); });
    QElapsedTimer took;
    took.start();
    h.press(h.w.cmdF0());
    EXPECT_GE(took.elapsed(), 1000) << "the press did not wait for the unit's pause";
    EXPECT_LT(took.elapsed(), 2900);
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"LINE01LINE02LINE03"}));
    stream("NE04\r\nSRF0F011\r\n");
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"LINE01LINE02LINE03", "LINE04", "F011"}));
    EXPECT_EQ(h.receiver.isOpen(), false);
}

namespace {
// A text the unit is sending, on a clock the test moves.
struct Streaming {
    explicit Streaming(Harness &h) : h(h)
    {
        h.conversation.setClock([this] { return now; });
    }
    void arrive(const QByteArray &bytes)
    {
        h.channel.receiveWithoutGap(bytes);
        h.channel.notifyArrival();
    }
    void quietFor(int ms)
    {
        now += std::chrono::milliseconds(ms);
        dispatchReceive(h.p, [](Program &p) { p.conversation.quietTimeOver(); });
    }
    Harness &h;
    std::chrono::steady_clock::time_point now{};
};
} // namespace

TEST(Polling, AnActionThatWritesNothingNeverTouchesTheTextTheUnitIsSending)
{
    const std::vector<std::pair<const char *, std::function<void(Harness &)>>> actions = {
        {"a lamp click", [](Harness &h) { h.click(h.w.lblrx6()); }},
        {"a key in the command line", [](Harness &h) {
             h.w.ed1()->setFocus();
             QTest::keyClick(h.w.ed1(), Qt::Key_X);
         }},
        {"opening „Parametersatz …“", [](Harness &h) { dispatch(h.p, showParameterSet); }},
        {"„Schreiben“ preparing a write", [](Harness &h) {
             h.w.cmdschreiben()->setEnabled(true);
             h.click(h.w.cmdschreiben());
         }},
    };
    for (const auto &[what, act] : actions) {
        SCOPED_TRACE(what);
        Harness h;
        h.connectWith("COM1", "19200", "S");
        h.w.ed1()->setText("$RSRF0");
        h.state.ButtonCommandFlag = 1;
        Streaming unit(h);
        unit.arrive("SRF0F011\r\nLINE0");
        act(h);
        EXPECT_TRUE(h.receiver.isOpen());
        EXPECT_EQ(h.w.lbrx()->count(), 0);
        unit.arrive("2\r\n");
        unit.quietFor(20);
        EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"F011LINE02"}));
        EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{"$RSRF0"})) << "the command line of its first byte";
        EXPECT_TRUE(h.channel.written().isEmpty());
    }
}

TEST(Polling, ACommandWaitsForTheUnitsPauseAndItsAnswerIsALineOfItsOwn)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    Streaming unit(h);
    unit.arrive("LINE01\r\nLINE02\r\n");
    // The unit pauses 50 ms after the press.
    QTimer::singleShot(50, [&] { unit.quietFor(20); });
    int shownWhenWritten = -1;
    h.channel.beforeWrite = [&](const QByteArray &) { shownWhenWritten = h.w.lbrx()->count(); };
    h.press(h.w.cmdF1());
    EXPECT_EQ(shownWhenWritten, 1) << "the command went before the unit's text was shown";
    EXPECT_EQ(h.channel.written(), "$RSRF1");
    unit.arrive("SRF10A00\r\n");
    unit.quietFor(20);
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"LINE01LINE02", "0A00"}));
}

TEST(Polling, AUnitThatNeverPausesIsShownOnceASecondAtItsLastLineEnd)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    Streaming unit(h);
    // "OK\r\n" every 10 ms: never the quiet time.
    for (int i = 0; i < 250; ++i) {
        unit.arrive(i % 2 ? "\r\n" : "OK");
        unit.now += std::chrono::milliseconds(5);
    }
    // 1.25 s: cut once, after the second, at the last line end; the rest goes on.
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{QByteArray("OK").repeated(100)}));
    EXPECT_TRUE(h.receiver.isOpen());
    unit.quietFor(20);
    ASSERT_EQ(h.w.lbrx()->count(), 2);
    EXPECT_EQ(h.w.lbrx()->lineBytes(1), QByteArray("OK").repeated(25)) << "the rest, whole";
}

TEST(Polling, WhatComesInTheDisconnectPauseIsNotShownAlsoFromAUnitThatNeverPauses)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    Streaming unit(h);
    unit.arrive("STATUS 1\r\n");
    // A key into the stream leaves it one text.
    h.press(h.w.cmdTR1());
    h.release(h.w.cmdTR1());
    unit.arrive("STATUS 2\r\n");
    ASSERT_EQ(h.w.lbrx()->count(), 0);
    // „Trennen“ waits a second for the unit's pause, then goes at its line end.
    h.pause.during = [&](int) { unit.arrive("STATUS 3\r\nSTA"); };
    h.click(h.w.cmdAUS());
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA$RSQ");
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"STATUS 1STATUS 2"})) << "shown before „Trennen“'s command";
    EXPECT_FALSE(h.channel.isOpen());
    EXPECT_EQ(h.channel.pendingReads(), 0u) << "taken before the close, for the recording";
}

TEST(Polling, ADisconnectCutShortBeforeTheCloseLeavesTheLineHeard)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.receiver.closingAfterCommand();   // „Trennen“'s command went out
    h.receiver.stopReading();           // and a failure ended the handler before the close
    h.channel.receive("SRF0F011\r\n");
    h.tick();
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"SRF0F011"}));
}
