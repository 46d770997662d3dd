// SPDX-License-Identifier: GPL-3.0-or-later
// Texts at the unit's own pace (rix-sim paces every byte at the line's rate): each arrives
// whole as one line, however long it takes on the line, and an action that writes nothing
// does not cut it.
#include "liveunit.h"

#include "widgets/lineview.h"

#include <QTimer>
#include <cstdio>

using namespace e2e;
using namespace testsupport;
using namespace std::chrono_literals;

namespace {
// A text without CR or LF that does not repeat within 64 characters.
std::string textOf(int length)
{
    std::string text;
    for (int i = 0; int(text.size()) < length; ++i)
        text += char('!' + (i * 7) % 90);
    return text;
}

QByteArray bytes(const std::string &text) { return QByteArray(text.data(), qsizetype(text.size())); }

QByteArray joined(const LineView &list)
{
    QByteArray all;
    for (int i = 0; i < list.count(); ++i)
        all += list.lineBytes(i);
    return all;
}
} // namespace

class ReceivingAtTheUnitsPace : public LiveUnit {
protected:
    void startUnitWithVersion(const std::string &version, bool echo)
    {
        rixsim::Unit unit(echo);
        unit.setVersionText(version);
        sim = std::make_unique<rixsim::BackgroundSimulator>(rixsim::TransportOptions{}, unit);
    }
    Clock::time_point lastSentTime() const
    {
        const auto sent = eventsOf(sim->log(), TrafficEvent::Kind::Sent);
        return sent.empty() ? Clock::time_point{} : sent.back().time;
    }
};

TEST_F(ReceivingAtTheUnitsPace, At4800WithEchoAParameterAndALongVersionAreEachOneWholeLine)
{
    const std::string version = textOf(60);
    startUnitWithVersion(version, true);
    connectProgram(QStringLiteral("4800"));

    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), "F011");

    // "$RSV" echoed, "SV" and 60 characters: about 140 ms on the line at 4800.
    program.click(program.w.cmdVersion());
    ASSERT_TRUE(listHas(program.w.lbrx(), 2));
    runEventsFor(200ms);
    EXPECT_EQ(program.w.lbrx()->count(), 2);
    EXPECT_EQ(program.w.lbrx()->lineBytes(1), bytes(version));
    EXPECT_EQ(program.w.lb2()->count(), 2);
    EXPECT_EQ(program.w.lb2()->lineBytes(1), "$RSV");
}

TEST_F(ReceivingAtTheUnitsPace, UnaskedLongTextsAndATrickleAreOneLineEach)
{
    startUnit({}, true);
    connectProgram(QStringLiteral("4800"));
    const std::string at4800 = textOf(150);   // about 310 ms on the line
    sim->sendUnasked(at4800 + "\r\n");
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    runEventsFor(100ms);
    EXPECT_EQ(program.w.lbrx()->count(), 1);
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), bytes(at4800));

    // The same unit after a reconnect at 19200.
    program.click(program.w.cmdAUS());
    ASSERT_TRUE(unitReceived(1));
    connectProgram(QStringLiteral("19200"));
    const std::string at19200 = textOf(300);
    sim->sendUnasked(at19200 + "\r\n");
    ASSERT_TRUE(listHas(program.w.lbrx(), 2));
    runEventsFor(100ms);
    EXPECT_EQ(program.w.lbrx()->count(), 2);
    EXPECT_EQ(program.w.lbrx()->lineBytes(1), bytes(at19200));

    // One byte every 15 ms for 2 s reaches the list whole and in order. That it is one line
    // (no 20 ms pause) is pinned on a test clock (Polling.AGapUnder20MsKeepsOneLine...): here
    // a busy machine may hold the unit's thread past 20 ms, and then the line really pauses.
    const std::string trickle = textOf(133);
    sim->sendUnasked(trickle, 15ms);
    const QByteArray expected = bytes(at4800) + bytes(at19200) + bytes(trickle);
    ASSERT_TRUE(waitUntil([&] { return joined(*program.w.lbrx()).size() >= expected.size(); }, 10s));
    runEventsFor(100ms);
    EXPECT_GE(program.w.lbrx()->count(), 3);
    EXPECT_EQ(joined(*program.w.lbrx()), expected);
}

TEST_F(ReceivingAtTheUnitsPace, TwoTextsDuringTheSendPauseAreOneBurstAfterIt)
{
    startUnit();
    connectProgram();
    program.typeCommandLine(QStringLiteral("hello"));   // the unit ignores it
    QTimer::singleShot(20, [&] { sim->sendUnasked("ABC"); });
    QTimer::singleShot(50, [&] { sim->sendUnasked("DEF"); });
    program.press(program.w.cmdSendentx());   // 275 ms pause; the timers fire inside it
    const auto pauseEnd = Clock::now();
    ASSERT_EQ(eventsOf(sim->log(), TrafficEvent::Kind::Sent).size(), 2u);
    EXPECT_LT(lastSentTime(), pauseEnd);
    program.release(program.w.cmdSendentx());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    runEventsFor(100ms);
    EXPECT_EQ(program.w.lbrx()->count(), 1);
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), "ABCDEF");
}

TEST_F(ReceivingAtTheUnitsPace, AButtonPressedWhileATextArrivesActsAfterIt)
{
    startUnit({}, true);
    connectProgram(QStringLiteral("4800"));
    const std::string text = textOf(144);   // about 300 ms at 4800
    sim->sendUnasked(text);
    ASSERT_TRUE(waitUntil([&] { return program.receiver.isOpen(); }));
    program.click(program.w.cmdF0());   // waits for the text to end, then sends

    ASSERT_TRUE(unitReceived(1));
    const auto sent = eventsOf(sim->log(), TrafficEvent::Kind::Sent);
    const auto got = eventsOf(sim->log(), TrafficEvent::Kind::Received);
    ASSERT_FALSE(sent.empty());
    ASSERT_FALSE(got.empty());
    const auto textEnd = sent.front().time;
    const auto commandAt = got.front().time;
    EXPECT_GT(commandAt, textEnd) << "the command went out while the text was still arriving";
    ASSERT_TRUE(listHas(program.w.lbrx(), 2));
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), bytes(text));
    EXPECT_EQ(program.w.lbrx()->lineBytes(1), "F011");
}

TEST_F(ReceivingAtTheUnitsPace, ALampClickDuringALongTextIsHandledAtOnceAndTheTextStaysOneLine)
{
    startUnit();
    connectProgram();
    // The program's clock stands still while the text comes: a moment in which a loaded
    // machine holds the simulator's thread is then no pause of the unit, and the text ends
    // when the clock runs again.
    const auto frozenAt = std::chrono::steady_clock::now();
    program.conversation.setClock([frozenAt] { return frozenAt; });
    const std::size_t sentBefore = eventsOf(sim->log(), TrafficEvent::Kind::Sent).size();
    const std::string text = textOf(5760);   // 3 s at 19200 without a pause or a line end
    sim->sendUnasked(text);
    ASSERT_TRUE(waitUntil([&] { return program.receiver.isOpen(); }));
    const auto clickedAt = Clock::now();
    // A lamp click writes nothing: it neither waits for the text nor cuts it. A handler that
    // writes would wait a second for the unit's pause and a second for its line end.
    program.press(program.w.lblrx6());
    const double waitedMs = millisecondsBetween(clickedAt, Clock::now());
    program.release(program.w.lblrx6());
    EXPECT_LT(waitedMs, 900.0) << "the click waited for the text";
    std::printf("[figure] a lamp click during a long text: handled after %.0f ms\n", waitedMs);

    ASSERT_TRUE(waitUntil([&] { return eventsOf(sim->log(), TrafficEvent::Kind::Sent).size() > sentBefore; }, 20s));
    EXPECT_EQ(program.w.lbrx()->count(), 0) << "shown before its end";
    program.conversation.setClock([] { return std::chrono::steady_clock::now(); });
    const QByteArray expected = bytes(text);
    ASSERT_TRUE(waitUntil([&] { return joined(*program.w.lbrx()).size() >= expected.size(); }, 10s));
    runEventsFor(100ms);
    ASSERT_EQ(program.w.lbrx()->count(), 1) << "the click cut the text";
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), expected);
    EXPECT_EQ(program.w.lb2()->count(), 1);
    EXPECT_TRUE(received().empty());
}
