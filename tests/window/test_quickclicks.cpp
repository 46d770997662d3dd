// SPDX-License-Identifier: GPL-3.0-or-later
// A click that waited behind a command's pause comes before the poll's next tick. What the
// unit answered in that pause is read before the click's own command goes out, and shown
// under the command that caused it.
#include "support/harness.h"
#include "support/liveprogram.h"

#include <gtest/gtest.h>

#include <map>

namespace {
// A unit that answers every command inside the sender's pause, as a quick unit does.
// `heldBySystem`: the answer came at the pause's very end, so the system holds it and the
// port's notifier has not fetched it yet when the next click is handled.
void answerInThePause(Harness &h, const std::map<QByteArray, QByteArray> &answers, bool heldBySystem = false)
{
    h.pause.during = [&h, answers, heldBySystem](int) {
        const auto answer = answers.find(h.channel.writes.back());
        if (answer == answers.end())
            return;
        if (heldBySystem)
            h.channel.holdInSystem(answer->second);
        else
            h.channel.receive(answer->second);
    };
}

} // namespace

TEST(QuickClicks, AnAnswerFromThePauseIsShownUnderItsCommandBeforeTheNextCommandGoesOut)
{
    // "Version" has no release of its own, so F1's press is the first thing after its pause.
    // Everything the port holds is read first, also what the system has not handed to it.
    for (const bool heldBySystem : {false, true}) {
        SCOPED_TRACE(heldBySystem ? "held by the system" : "fetched by the port");
        Harness h;
        h.connectWith("COM1", "19200", "S");
        answerInThePause(h, {{"$RSV", "SVrix-sim 1.0\r\n"}, {"$RSRF1", "SRF10A00\r\n"}}, heldBySystem);
        h.click(h.w.cmdVersion());
        h.click(h.w.cmdF1());
        h.channel.notifyArrival();
        h.tick();

        EXPECT_EQ(h.channel.written(), "$RSV$RSRF1");
        EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{"$RSV", "$RSRF1"}));
        EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"rix-sim 1.0", "0A00"}));
    }
}

TEST(QuickClicks, At4800TheEchoAndTheRepeatedAddressAreSkippedForEachCommandOnItsOwn)
{
    Harness h;
    h.connectWith("COM1", "4800", "S");
    answerInThePause(h, {{"$RSV", "$RSVSVrix-sim 1.0\r\n"}, {"$RSRF0", "$RSRF0SRF0F011\r\n"}});
    h.click(h.w.cmdVersion());
    h.click(h.w.cmdF0());
    h.tick();

    EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{"$RSV", "$RSRF0"}));
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"rix-sim 1.0", "F011"}));
}

TEST(QuickClicks, AnAnswerWaitingWhenTheUserTypesIsShownUnderTheCommandItAnswers)
{
    // The user types a command while the answer to "Version" waits: the first key is an
    // action like a click, so the answer is read under "$RSV", not under the typed text.
    Harness h;
    h.connectWith("COM1", "19200", "S");
    answerInThePause(h, {{"$RSV", "SVrix-sim 1.0\r\n"}, {"$RSRF3", "SRF30E28\r\n"}});
    h.click(h.w.cmdVersion());
    h.w.ed1()->setFocus();
    h.w.ed1()->selectAll();
    QTest::keyClicks(h.w.ed1(), "$RSRF3");
    h.click(h.w.cmdSendentx());
    h.tick();

    EXPECT_EQ(h.channel.written(), "$RSV$RSRF3");
    EXPECT_EQ(linesOf(*h.w.lb2()), (std::vector<QByteArray>{"$RSV", "$RSRF3"}));
    EXPECT_EQ(linesOf(*h.w.lbrx()), (std::vector<QByteArray>{"rix-sim 1.0", "SRF30E28"}));
}
