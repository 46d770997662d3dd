// SPDX-License-Identifier: GPL-3.0-or-later
// The ways a connection ends: disconnect, quit, and the unit hanging up.
#include "liveunit.h"

#include "support/userinput.h"
#include "window/app/dispatch.h"
#include "window/connection/connection.h"

#include <QTimer>

#include <algorithm>

#include <cstdio>

using namespace e2e;
using namespace testsupport;
using Commands = std::vector<std::string>;
using namespace std::chrono_literals;

class EndingTheConnection : public LiveUnit {};

TEST_F(EndingTheConnection, DisconnectSendsTheBroadcastQuitThenClosesThePortAfterItsPause)
{
    startUnit();
    connectProgram(QStringLiteral("19200"), QStringLiteral("3"));

    // The chosen digit addresses the commands; the unit ignores a foreign address.
    program.click(program.w.cmdF0());
    ASSERT_TRUE(unitReceived(1));

    program.press(program.w.cmdAUS());
    EXPECT_FALSE(program.conversation.isPolling());
    EXPECT_TRUE(program.w.cmdEIN()->isEnabled());
    program.release(program.w.cmdAUS());
    const auto closedAt = Clock::now();
    EXPECT_FALSE(program.channel.isOpen());

    ASSERT_TRUE(unitReceived(2));
    EXPECT_EQ(received(), (Commands{"$R3RF0", "$RSQ"}));
    const auto quitArrived = eventsOf(sim->log(), TrafficEvent::Kind::Received).back().time;
    const double pause = millisecondsBetween(quitArrived, closedAt);
    EXPECT_GE(pause, 200.0);
    std::printf("[figure] disconnect: \"$RSQ\" at the unit to the port closed %.0f ms\n", pause);

    // Really closed: the port can be taken again at once.
    QtSerialChannel other;
    EXPECT_NO_THROW(other.open(PortSettings{unitPath(), QStringLiteral("19200")}));
    EXPECT_TRUE(other.isOpen());
    other.close();
    EXPECT_TRUE(program.box.texts.empty());
    EXPECT_EQ(program.end.ends, 0);
}

TEST_F(EndingTheConnection, QuitWhileConnectedSendsTheAddressedQuitOnlyAndEndsOnce)
{
    startUnit();
    connectProgram(QStringLiteral("19200"), QStringLiteral("F"));

    program.press(program.w.cmdEnde());
    ASSERT_TRUE(unitReceived(1));
    EXPECT_EQ(program.end.ends, 0);
    program.release(program.w.cmdEnde());

    EXPECT_EQ(program.end.ends, 1);
    EXPECT_FALSE(program.channel.isOpen());
    EXPECT_FALSE(program.conversation.isPolling());
    EXPECT_TRUE(program.w.cmdEIN()->isEnabled());
    // Give a stray disconnect command the time to arrive and be framed.
    runEventsFor(300ms);
    EXPECT_EQ(received(), Commands{"$RFQ"});
    EXPECT_EQ(program.end.ends, 1);
    EXPECT_TRUE(program.box.texts.empty());
}

// A pulled adapter: one box, the window disconnected as after "Trennen" but without a word
// to the unit, every line kept, and the program ready to connect again.
TEST_F(EndingTheConnection, UnitHangingUpKeepsTheProgramDisconnectedWithItsLines)
{
    rixsim::TransportOptions options;
    options.hangupAfter = 1500ms;
    startUnit(options);
    connectProgram();
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    const int commandLines = program.w.lb2()->count();

    ASSERT_TRUE(waitUntil([&] { return hasNote(sim->log(), "hung up"); }, 10s));
    const auto hungUpAt = eventsOf(sim->log(), TrafficEvent::Kind::Note).back().time;
    ASSERT_TRUE(waitUntil([&] { return !program.box.texts.empty(); }));
    const auto reportedAt = Clock::now();

    // A port that keeps failing would report again, or keep the loop spinning.
    const double cpuBefore = processCpuMs();
    runEventsFor(500ms);
    const double cpuUsed = processCpuMs() - cpuBefore;

    ASSERT_EQ(program.box.texts.size(), 1u);
    EXPECT_EQ(program.box.texts[0], lostPortMessage(unitPath(), 1002));
    EXPECT_FALSE(program.box.details[0].isEmpty()) << "the system's reason is in the details";
    EXPECT_EQ(program.box.shownWithPollingOn, 0);
    EXPECT_EQ(program.end.ends, 0);
    EXPECT_FALSE(program.channel.isOpen());
    EXPECT_FALSE(program.conversation.isPolling());
    EXPECT_TRUE(program.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(program.w.cmdAUS()->isEnabled());
    EXPECT_FALSE(program.w.cmdF0()->isEnabled());
    EXPECT_TRUE(program.w.cbCOM()->isEnabled());
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), "F011");
    EXPECT_EQ(program.w.lb2()->count(), commandLines);
    EXPECT_EQ(std::count(program.timeline.events.begin(), program.timeline.events.end(), "write:$RSQ"), 0);
    EXPECT_LT(cpuUsed, 250.0);
    std::printf("[figure] hang-up to the lost-port box %.0f ms; CPU in the 500 ms after it %.0f ms\n",
                millisecondsBetween(hungUpAt, reportedAt), cpuUsed);

    // A unit on a new port: connecting works as at the start.
    program.box.texts.clear();
    startUnit();
    connectProgram();
    program.click(program.w.cmdF1());
    ASSERT_TRUE(listHas(program.w.lbrx(), 2));
    EXPECT_EQ(program.w.lbrx()->lineBytes(1), "0A00");
}

// F6 waits for a unit that floods the line to pause, TR1 is pressed and released behind it,
// and the adapter is pulled before F6 can go: the program stays, with its lists, and says
// once that the line was lost; nothing of the waiting actions runs on the closed port.
TEST_F(EndingTheConnection, APulledAdapterWhileACommandWaitsInAFloodWithAKeyBehindItIsOneLoss)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        program.box.texts.clear();
        rixsim::TransportOptions options;
        options.flood = 6s;
        options.hangupAfter = 900ms;
        startUnit(options);
        connectProgram();
        ASSERT_TRUE(waitUntil([&] { return program.conversation.unitSending(); }));
        QTimer::singleShot(100, &program.w, [&] { userinput::queueClick(program.w, program.w.cmdTR1()); });
        program.click(program.w.cmdF6());
        ASSERT_TRUE(waitUntil([&] { return !program.box.texts.empty(); }, 10s));
        runEventsFor(300ms);

        ASSERT_EQ(program.box.texts.size(), 1u) << "the loss is said once";
        EXPECT_EQ(program.box.texts[0].left(30), lostPortMessage(unitPath(), 1002).left(30));
        EXPECT_EQ(program.end.ends, 0) << "the program stays";
        EXPECT_GT(program.w.lbrx()->count(), 0) << "with what it showed";
        EXPECT_TRUE(program.w.cmdEIN()->isEnabled());
        EXPECT_FALSE(program.channel.isOpen());
        for (const std::string &command : received())
            EXPECT_NE(command, "$RSE1") << "the key behind the command did not go out on a closed line";
    }
}

// "Warten und neu verbinden": the program connects by itself once a unit is back under the
// same name, writing nothing on connecting; "Abbrechen" leaves it disconnected.
TEST_F(EndingTheConnection, WaitingForTheLostPortConnectsAgainWhenItIsBack)
{
    UnitLink link;
    rixsim::TransportOptions options;
    options.hangupAfter = 1500ms;
    startUnit(options);
    link.pointAt(unitPath());
    program.connectTo(link.path());
    ASSERT_TRUE(program.connected());

    program.box.waitForThePort = true;
    program.box.waitTries = 50;
    program.box.beforeTry = [&](int attempt) {
        // The unit that hung up has freed its pseudo-terminal: until the adapter is back the
        // name leads nowhere, so no try meets a number the system has given to another unit.
        if (attempt < 3) {
            link.cut();
        } else if (attempt == 3) {
            startUnit();   // the adapter is back, under the same name
            link.pointAt(unitPath());
        }
    };
    ASSERT_TRUE(waitUntil([&] { return program.box.texts.size() >= 2 && program.connected(); }, 15s));
    EXPECT_EQ(program.box.texts[0], lostPortMessage(link.path(), 1002));
    EXPECT_EQ(program.box.texts[1], waitingForPortMessage(link.path()));
    EXPECT_FALSE(program.w.cbCOM()->isEnabled());
    runEventsFor(100ms);
    EXPECT_TRUE(received().empty()) << "nothing is written on connecting";
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), "F011");
}

TEST_F(EndingTheConnection, CancellingTheWaitLeavesTheProgramDisconnected)
{
    UnitLink link;
    rixsim::TransportOptions options;
    options.hangupAfter = 1500ms;
    startUnit(options);
    link.pointAt(unitPath());
    program.connectTo(link.path());
    ASSERT_TRUE(program.connected());
    program.box.waitForThePort = true;
    program.box.waitTries = 2;   // then "Abbrechen"
    // The unit does not come back: its freed pseudo-terminal must not be tried.
    program.box.beforeTry = [&](int) { link.cut(); };
    ASSERT_TRUE(waitUntil([&] { return program.box.texts.size() >= 2; }, 10s));
    runEventsFor(300ms);
    EXPECT_FALSE(program.channel.isOpen());
    EXPECT_TRUE(program.w.cmdEIN()->isEnabled());
    EXPECT_FALSE(program.conversation.isPolling());
    EXPECT_EQ(program.end.ends, 0);
}
