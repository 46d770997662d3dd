// SPDX-License-Identifier: GPL-3.0-or-later
// A "Verbinden" that the port refuses: the end when nothing would be lost, otherwise the
// disconnected state with both lists kept.
#include "support/controls.h"
#include "support/harness.h"
#include "widgets/unitsearchdialog.h"
#include "window/connection/findunit.h"

#include <QTableWidget>

#include <gtest/gtest.h>

namespace {
const QString endingCOM9 = QStringLiteral("Serielle Schnittstelle\rCOM9\rist nicht vorhanden, oder wird von "
                                           "\reiner anderen Anwendung benutzt!\r\rProgramm neu starten!");
const QString keptCOM9 = QStringLiteral("Serielle Schnittstelle\rCOM9\rist nicht vorhanden, oder wird von "
                                         "\reiner anderen Anwendung benutzt!\r\r"
                                         "Die Verbindung bleibt getrennt, die Listen bleiben erhalten.");

void expectDisconnected(Harness &h)
{
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    for (QWidget *b : {h.w.cmdSendentx(), h.w.cmdVersion(), h.w.cmdF0(), h.w.cmdF3(), h.w.cmdF6(), h.w.cmdTR1(), h.w.cmdTR2(),
                       h.w.cmdFMS(), h.w.cmd5Ton()})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QWidget *c : {(QWidget *)h.w.cbAdr(), (QWidget *)h.w.cbCOM(), (QWidget *)h.w.cbbaud()})
        EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_FALSE(h.channel.isOpen());
}
} // namespace

TEST(RefusedConnect, WithBothListsEmptyOkEndsTheProgramAfterTheSixLinesAndTheOfferedSearchKeepsItRunning)
{
    for (const bool search : {false, true}) {
        SCOPED_TRACE(search ? "Einheit suchen" : "OK");
        Harness h;
        h.channel.failOpen = true;
        h.box.chooseUnitSearch = search;
        h.connectWith("COM9", "19200", "S");
        ASSERT_EQ(h.box.texts.size(), 1u);
        EXPECT_EQ(h.box.texts[0], endingCOM9);
        EXPECT_EQ(h.box.searchOffers, 1);
        ASSERT_EQ(h.box.details.size(), 1u);
        EXPECT_EQ(h.box.details[0], "no such port");
        EXPECT_EQ(h.end.ends, search ? 0 : 1);
        EXPECT_EQ(h.end.exitCode, search ? -1 : 1);
        EXPECT_EQ(h.state.ending, !search);
        UnitSearchDialog *d = unitSearchDialog(h.p);
        EXPECT_EQ(d != nullptr && d->isVisible(), search);
        if (!search)
            continue;
        expectDisconnected(h);
        EXPECT_TRUE(h.channel.writes.empty());
        // The program runs on: a connect to the right port works.
        d->close();
        h.channel.failOpen = false;
        h.connectWith("/tmp/unit7", "19200", "S");
        EXPECT_TRUE(h.channel.isOpen());
        h.click(h.w.cmdF1());
        EXPECT_EQ(h.channel.written(), "$RSRF1");
    }
}

TEST(RefusedConnect, AReceivedLineKeepsTheSessionDisconnectedAndAGoodConnectWorksAfterIt)
{
    Harness h;
    h.connectWith("COM9", "19200", "S");
    h.click(h.w.cmdF0());
    h.channel.receive("SRF0F011\r\n");
    h.tick();
    h.click(h.w.cmdAUS());
    ASSERT_EQ(h.w.lb2()->count(), 1);
    ASSERT_EQ(h.w.lbrx()->count(), 1);
    const std::size_t writesBefore = h.channel.writes.size();

    h.channel.failOpen = true;
    h.connectWith("COM9", "19200", "S");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], keptCOM9);
    EXPECT_EQ(h.box.texts[0].split('\r').size(), 6);
    ASSERT_EQ(h.box.details.size(), 1u);
    EXPECT_EQ(h.box.details[0], "no such port");
    EXPECT_EQ(h.end.ends, 0);
    expectDisconnected(h);
    EXPECT_EQ(h.channel.writes.size(), writesBefore);   // nothing written for the refusal
    EXPECT_EQ(h.w.lb2()->count(), 1);
    EXPECT_EQ(h.w.lbrx()->count(), 1);
    // Still alive: the poll timer stays off and handlers run on.
    h.tick();
    EXPECT_EQ(h.w.lbrx()->count(), 1);

    h.channel.failOpen = false;
    h.connectWith("COM9", "4800", "S");
    ASSERT_EQ(h.channel.opens.size(), 3u);
    EXPECT_EQ(h.channel.opens[2].baudText, "4800");
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
    EXPECT_TRUE(h.w.cmdF0()->isEnabled());
    EXPECT_TRUE(h.conversation.isPolling());
    EXPECT_FALSE(h.w.cbCOM()->isEnabled());
    h.click(h.w.cmdF1());
    EXPECT_EQ(h.channel.written().right(6), "$RSRF1");
    EXPECT_EQ(h.box.texts.size(), 1u);
}

TEST(RefusedConnect, ALineInEitherListIsEnough)
{
    for (const bool inSent : {true, false}) {
        Harness h;
        (inSent ? h.w.lb2() : h.w.lbrx())->addLine("$RSV");
        h.channel.failOpen = true;
        h.connectWith("COM9", "19200", "S");
        ASSERT_EQ(h.box.texts.size(), 1u);
        EXPECT_EQ(h.box.texts[0], keptCOM9);
        EXPECT_EQ(h.end.ends, 0);
        expectDisconnected(h);
        EXPECT_EQ(h.w.lb2()->count() + h.w.lbrx()->count(), 1);
    }
}

TEST(RefusedConnect, TheKeptSessionsBoxOffersTheUnitSearchAndOpensItWhenChosen)
{
    for (const bool chosen : {false, true}) {
        Harness h;
        h.w.lbrx()->addLine("SV 1.0");
        h.channel.failOpen = true;
        h.box.chooseUnitSearch = chosen;
        h.connectWith("COM9", "19200", "S");
        ASSERT_EQ(h.box.texts.size(), 1u);
        EXPECT_EQ(h.box.texts[0], keptCOM9);
        UnitSearchDialog *d = unitSearchDialog(h.p);
        EXPECT_EQ(d != nullptr && d->isVisible(), chosen);
        EXPECT_EQ(h.end.ends, 0);
        expectDisconnected(h);
        // Opening the dialog searches nothing: its table is empty until „Suchen“.
        if (d) {
            EXPECT_EQ(testsupport::control<QTableWidget>(*d, "tblUnits")->rowCount(), 0);
        }
    }
}
