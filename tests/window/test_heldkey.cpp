// SPDX-License-Identifier: GPL-3.0-or-later
// A key held when the line goes: its press went out, its release did not, so the unit keeps
// the key pressed. The lost-port box says so, and the next connect sends the release first,
// to the address digit of the press, exactly once; a program that ends first sends nothing.
#include "support/fakes.h"
#include "support/harness.h"
#include "support/liveprogram.h"
#include "support/realboxes.h"
#include "support/userinput.h"

#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString lostCom1 = QStringLiteral("Die Verbindung zu COM1 ist unterbrochen (Fehler 1002).");
const QString waitingForCom1 = QString::fromUtf8("Warte auf COM1 \u2026");
const QString tR1Held = QString::fromUtf8("Taste TR1 war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet.");
const QString tR2Held = QString::fromUtf8("Taste TR2 war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet.");

// The key held, the adapter pulled, the box up; the user lets go of the mouse over the window
// (the box holds the mouse, so the window never sees it), then closes the box.
void holdKeyAndLoseTheLine(ProgramWithRealBoxes &h, QWidget *key, const QString &digit,
                           const BoxDriver::Action &closeTheBox, std::vector<BoxDriver::Action> later = {})
{
    h.connectWith(QStringLiteral("COM1"), QStringLiteral("19200"), digit);
    h.press(key);
    h.channel.hangUp();
    std::vector<BoxDriver::Action> actions{[&h, key, closeTheBox](QMessageBox &box) {
        h.release(key);
        closeTheBox(box);
    }};
    actions.insert(actions.end(), later.begin(), later.end());
    BoxDriver driver(actions);
    h.tick();   // the poll finds the line gone
    ASSERT_EQ(driver.texts.size(), 1 + later.size());
    EXPECT_EQ(driver.texts[0], lostCom1 + QLatin1Char('\n') + (key == h.w.cmdTR1() ? tR1Held : tR2Held))
        << "the box names the key the unit still holds, on a line of its own";
    if (!later.empty()) {
        EXPECT_EQ(driver.texts[1], waitingForCom1);
    }
    EXPECT_EQ(h.end.ends, 0) << "no fatal report";
}

// TR1 pressed (the unit does not answer), the line lost, the box closed with "OK".
void holdOnlyAndLose(Harness &h)
{
    h.connectWith("COM1", "19200", "S");
    h.press(h.w.cmdTR1());
    h.channel.hangUp();
    h.tick();
    h.release(h.w.cmdTR1());
    ASSERT_TRUE(h.state.keyHeld);
}

std::vector<std::string> writesAndPauses(const Timeline &timeline)
{
    std::vector<std::string> seen;
    for (const std::string &e : timeline.events)
        if (e.rfind("write:", 0) == 0 || e.rfind("pause:", 0) == 0 || e.rfind("open:", 0) == 0)
            seen.push_back(e);
    return seen;
}

} // namespace

TEST(LostLine, AHeldKeyIsDroppedWhateverClosesTheBox)
{
    const std::vector<std::pair<const char *, BoxDriver::Action>> closings = {
        {"OK clicked", clickOk},
        {"Escape", [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); }},
        {"Return on OK", [](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Return); }},
    };
    for (const auto &[how, close] : closings) {
        SCOPED_TRACE(how);
        ProgramWithRealBoxes h;
        holdKeyAndLoseTheLine(h, h.w.cmdTR1(), QStringLiteral("S"), close);
        EXPECT_EQ(h.channel.written(), "$RSE1") << "nothing written after the loss";
        EXPECT_FALSE(h.channel.isOpen());
        EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
        // "Verbinden" sends the release the unit is owed, then the user's next clicks are
        // their own: neither swallowed nor taken for the key's release.
        h.connectWith(QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("S"));
        EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
        h.click(h.w.cmdF1());
        h.release(h.w.cmdTR1());
        EXPECT_EQ(h.channel.written(), "$RSE1$RSEA$RSRF1");
        EXPECT_EQ(h.end.ends, 0);
    }
}

TEST(LostLine, AfterWaitingAndConnectingAgainTheUnitGetsTheOwedReleaseThenWhatTheUserDoesNext)
{
    ProgramWithRealBoxes h;
    // "Warten und neu verbinden" chosen from the keyboard; the port is back at the first try.
    holdKeyAndLoseTheLine(h, h.w.cmdTR1(), QStringLiteral("S"), chooseToWait, {nullptr});
    ASSERT_TRUE(h.channel.isOpen());
    EXPECT_TRUE(h.conversation.isPolling());
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
    // The release went out on connecting, before anything else, with a key's pause; first
    // the line was left a moment to bring what the unit had on its way.
    const std::vector<std::string> expected = {"open:COM1:19200", "write:$RSE1", "pause:165", "open:COM1:19200",
                                               "pause:100", "write:$RSEA", "pause:165"};
    EXPECT_EQ(writesAndPauses(h.timeline), expected);
    EXPECT_EQ(h.w.ed1()->text(), "$RSEA");
    h.release(h.w.cmdTR1());
    h.click(h.w.cmdF1());
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA$RSRF1") << "the release exactly once, then the user's command";
}

TEST(HeldKey, TheReleaseGoesToTheDigitOfThePressAndItsAnswerIsShownByTheRules)
{
    ProgramWithRealBoxes h;
    holdKeyAndLoseTheLine(h, h.w.cmdTR2(), QStringLiteral("7"), clickOk);
    // Connected again under another digit: the release still goes to the unit that holds the key.
    h.pause.during = [&](int ms) {
        if (ms == 165)
            h.channel.receive("7EA\r\n");
    };
    h.connectWith(QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("3"));
    h.pause.during = nullptr;
    EXPECT_EQ(h.channel.written(), "$R7E2$R7EA");
    h.click(h.w.cmdF0());
    EXPECT_EQ(h.channel.written(), "$R7E2$R7EA$R3RF0");
    // The unit's answer to the release is read before F0 goes out, under the release: after a
    // key's command the repeated address and letters are skipped, which leaves nothing to show.
    ASSERT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lb2()->lineBytes(0), "$R7EA");
    ASSERT_EQ(h.w.lbrx()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->lineBytes(0), "");
}

TEST(HeldKey, ASecondLossBeforeTheReleaseWentOutKeepsItOwedAndSaysSoAgain)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.box.waitForThePort = true;
    h.box.waitTries = 1;
    h.press(h.w.cmdTR1());
    // The first release finds the line gone again as it writes; the second goes out.
    int releases = 0;
    h.channel.beforeWrite = [&](const QByteArray &bytes) {
        if (bytes == "$RSEA" && ++releases == 1)
            h.channel.hangUp();
    };
    h.channel.hangUp();
    h.tick();
    h.release(h.w.cmdTR1());   // dropped by the box
    h.click(h.w.cmdF1());

    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA$RSRF1");
    EXPECT_EQ(releases, 2);
    const QString lostWithKey = lostCom1 + QLatin1Char('\r') + tR1Held;
    EXPECT_EQ(h.box.texts, (std::vector<QString>{lostWithKey, waitingForCom1, lostWithKey, waitingForCom1}));
    EXPECT_EQ(h.state.linesLost, 2u);
    EXPECT_EQ(h.end.ends, 0);
    EXPECT_FALSE(h.state.keyHeld);
}

TEST(HeldKey, ARefusedConnectKeepsTheReleaseOwedAndSaysSoAndTheNextPortToConnectGetsIt)
{
    // With a line in the lists and with none: a refusal keeps the session, as the unit still
    // holds the key. The next port that connects gets the release, whatever its name (an
    // adapter plugged in again often comes back under another).
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "a line in the lists" : "both lists empty");
        Harness h;
        h.connectWith("COM1", "19200", "S");
        if (answered)
            h.pause.during = [&](int) { h.channel.receive("SE1\r\n"); };
        h.press(h.w.cmdTR1());
        h.pause.during = nullptr;
        h.tick();
        ASSERT_EQ(h.w.lb2()->count(), answered ? 1 : 0);
        h.channel.hangUp();
        h.tick();
        h.release(h.w.cmdTR1());

        h.channel.failOpen = true;
        h.connectWith("COM1", "19200", "S");
        ASSERT_EQ(h.box.texts.size(), 2u);
        EXPECT_EQ(h.box.texts[1],
                  QStringLiteral("Serielle Schnittstelle\rCOM1\rist nicht vorhanden, oder wird von \reiner anderen "
                                 "Anwendung benutzt!\r\r")
                      + (answered ? QStringLiteral("Die Verbindung bleibt getrennt, die Listen bleiben erhalten.")
                                  : QStringLiteral("Die Verbindung bleibt getrennt."))
                      + QLatin1Char('\r') + tR1Held);
        EXPECT_EQ(h.end.ends, 0) << "the program stays for the release it owes";
        EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
        EXPECT_FALSE(h.conversation.isPolling());
        EXPECT_EQ(h.channel.written(), "$RSE1");

        h.channel.failOpen = false;
        h.connectWith("/dev/ttyUSB1", "19200", "7");
        EXPECT_EQ(h.channel.opens.back().portName, "/dev/ttyUSB1");
        EXPECT_EQ(h.channel.written(), "$RSE1$RSEA") << "owed until a connect succeeds";
        EXPECT_FALSE(h.state.keyHeld);
    }

    // Held again and lost again, then "Beenden" while disconnected: nothing more goes out.
    Harness ending;
    ending.connectWith("COM1", "19200", "S");
    ending.press(ending.w.cmdTR1());
    ending.channel.hangUp();
    ending.tick();
    ending.release(ending.w.cmdTR1());
    ending.click(ending.w.cmdEnde());
    EXPECT_EQ(ending.end.ends, 1);
    EXPECT_EQ(ending.end.exitCode, 0);
    EXPECT_EQ(ending.channel.written(), "$RSE1");
}

TEST(HeldKey, WhatTheUnitHadWaitingIsShownAsItsOwnLineBeforeTheReleaseGoesOut)
{
    // The unit kept an answer waiting while the line was gone; it arrives as the port opens,
    // the last of it still held by the system. It is shown under the command line of that
    // moment, and the release's answer under the release: never "0F011SEA".
    Harness h;
    ASSERT_NO_FATAL_FAILURE(holdOnlyAndLose(h));
    h.pause.during = [&](int ms) {
        if (ms == 100) {
            h.channel.receiveWithoutGap("SRF0");
            h.channel.holdInSystem("F011\r\n");
        } else {
            h.channel.receive("SEA\r\n");
        }
    };
    h.connectWith("COM1", "19200", "S");
    h.pause.during = nullptr;
    h.tick();

    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
    EXPECT_EQ(writesAndPauses(h.timeline),
              (std::vector<std::string>{"open:COM1:19200", "write:$RSE1", "pause:165", "open:COM1:19200", "pause:100",
                                        "write:$RSEA", "pause:165"}));
    EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{"$RSE1", "$RSEA"}));
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"0F011", ""}));
    EXPECT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
}
