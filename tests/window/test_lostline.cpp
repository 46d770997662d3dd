// SPDX-License-Identifier: GPL-3.0-or-later
// A line lost at the awkward moments: a click waiting for a burst, an answer in a command's
// pause. The program stays, writes nothing after the loss, and shows what it read. (A key
// held when the line goes: test_heldkey.cpp.)
#include "support/fakes.h"
#include "support/harness.h"
#include "support/waiting.h"
#include "window/app/dispatch.h"
#include "window/receive/polling.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString lostCom1 = QStringLiteral("Die Verbindung zu COM1 ist unterbrochen (Fehler 1002).");
const QString waitingForCom1 = QString::fromUtf8("Warte auf COM1 \u2026");

template <typename Program>
void expectDisconnectedSet(Program &h)
{
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    for (QWidget *b : {h.w.cmdF0(), h.w.cmdTR1(), h.w.cmdTR2(), h.w.cmdSendentx(), h.w.cmdVersion()})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(h.w.cbCOM()->isEnabled());
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_FALSE(h.channel.isOpen());
}

} // namespace

// --- a click waiting for a burst when the line goes ---------------------------------------

TEST(LostLine, AClickWaitingForABurstDoesNothingWhenTheLineGoesMeanwhile)
{
    // Every button that writes, so that none of them is taken for one that does not: a write
    // after the loss would end in the fatal report ("Fehler 1003").
    const char *writers[] = {"cmdF0", "cmdF1", "cmdF2", "cmdF3", "cmdF4", "cmdF5", "cmdF6", "cmdVersion",
                             "cmdTR1", "cmdTR2", "cmd5Ton", "cmdFMS", "cmdSendentx", "cmdAUS", "cmdEnde"};
    for (const char *name : writers) {
        for (const bool waitForThePort : {false, true}) {
            SCOPED_TRACE(std::string(name) + (waitForThePort ? ", waiting and connecting again" : ", OK"));
            Harness h;
            h.connectWith("COM1", "19200", "S");
            h.w.ed1()->setText("$RSV");   // something for "Senden" to send
            h.box.waitForThePort = waitForThePort;
            h.box.waitTries = 1;
            h.channel.receiveWithoutGap("partial");
            dispatchReceive(h.p, tmr1_Timer);
            ASSERT_TRUE(h.receiver.isOpen());
            // The line goes while the click waits for the burst's quiet time.
            QTimer::singleShot(0, [&] { h.channel.hangUp(); });
            auto *button = h.w.findChild<QWidget *>(name);
            ASSERT_NE(button, nullptr);
            h.click(button);
            // Found at the click, or by the text's quiet time a moment later.
            ASSERT_TRUE(testsupport::waitUntil([&] { return !h.box.texts.empty(); }));

            EXPECT_TRUE(h.channel.writes.empty()) << "the click's command is not sent after the loss";
            EXPECT_EQ(h.box.texts[0], lostCom1);
            EXPECT_EQ(h.end.ends, 0) << "no fatal report";
            ASSERT_EQ(h.w.lbrx()->count(), 1);
            EXPECT_EQ(h.w.lbrx()->lineBytes(0), "partial");
            if (waitForThePort) {
                ASSERT_EQ(h.box.texts.size(), 2u);
                EXPECT_EQ(h.box.texts[1], waitingForCom1);
                EXPECT_TRUE(h.channel.isOpen());
                // Connected again, and the press from before the loss left no trace: a
                // "Trennen" must not leave the window disconnected over an open port.
                EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
                EXPECT_TRUE(h.w.cmdAUS()->isEnabled());
                EXPECT_TRUE(h.w.cmdF0()->isEnabled());
                EXPECT_TRUE(h.conversation.isPolling());
            } else {
                EXPECT_EQ(h.box.texts.size(), 1u);
                expectDisconnectedSet(h);
            }
        }
    }
}

// --- an answer in a command's pause when the line goes --------------------------------------

TEST(LostLine, AnAnswerReadInThePauseIsShownWithItsCommand)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.pause.during = [&](int) {
        h.channel.receive("SRF0F011\r\n");
        h.channel.hangUp();
    };
    h.press(h.w.cmdF0());
    h.pause.during = nullptr;
    h.tick();   // the first poll after the pause finds the line gone
    h.release(h.w.cmdF0());   // dropped by the box

    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "F011");
    ASSERT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lb2()->lineBytes(0), "$RSRF0");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], lostCom1);
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    EXPECT_EQ(h.end.ends, 0);
    expectDisconnectedSet(h);
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled()) << "the release the box dropped did nothing";
}

TEST(LostLine, AClickWhosePauseBroughtTheAnswerAndTheLossShowsTheAnswerFirst)
{
    // The unit answered in F0's pause and the line went: the answer is taken as the pause
    // ends, the loss found there, and the answer shown before the box.
    Harness h;
    h.connectWith("COM1", "4800", "S");
    h.pause.during = [&](int) {
        h.channel.receive("$RSRF0SRF0F011\r\n");
        h.channel.hangUp();
    };
    h.click(h.w.cmdF0());

    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "F011");
    ASSERT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lb2()->lineBytes(0), "$RSRF0");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], lostCom1);
    EXPECT_EQ(h.channel.written(), "$RSRF0");
    EXPECT_EQ(h.end.ends, 0);
    expectDisconnectedSet(h);
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled()) << "the box dropped the held press: its release did nothing";
}

TEST(LostLine, AKeyWhoseLineWentInItsPauseIsHeldAndItsReleaseOwed)
{
    // The press went out; the loss is found as its pause ends. The unit holds the key.
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.pause.during = [&](int) { h.channel.hangUp(); };
    h.press(h.w.cmdTR1());
    h.pause.during = nullptr;
    EXPECT_EQ(h.channel.written(), "$RSE1");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], lostCom1 + QStringLiteral("\rTaste TR1 war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet."));
    EXPECT_TRUE(h.state.keyHeld);
}
