// The ways a connection ends: disconnect, quit, and the unit hanging up.
#include "liveunit.h"

#include "app/dispatch.h"

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
    program.click(program.w.cmdF0);
    ASSERT_TRUE(unitReceived(1));

    program.press(program.w.cmdAUS);
    EXPECT_FALSE(program.w.tmr1.isActive());
    EXPECT_TRUE(program.w.cmdEIN->isEnabled());
    program.release(program.w.cmdAUS);
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

    program.press(program.w.cmdEnde);
    ASSERT_TRUE(unitReceived(1));
    EXPECT_EQ(program.end.ends, 0);
    program.release(program.w.cmdEnde);

    EXPECT_EQ(program.end.ends, 1);
    EXPECT_FALSE(program.channel.isOpen());
    EXPECT_FALSE(program.w.tmr1.isActive());
    EXPECT_TRUE(program.w.cmdEIN->isEnabled());
    // Give a stray disconnect command the time to arrive and be framed.
    runEventsFor(300ms);
    EXPECT_EQ(received(), Commands{"$RFQ"});
    EXPECT_EQ(program.end.ends, 1);
    EXPECT_TRUE(program.box.texts.empty());
}

TEST_F(EndingTheConnection, UnitHangingUpIsReportedOnceAndEndsTheProgram)
{
    rixsim::TransportOptions options;
    options.hangupAfter = 1500ms;
    startUnit(options);
    connectProgram();

    ASSERT_TRUE(waitUntil([&] { return hasNote(sim->log(), "hung up"); }, 10s));
    const auto hungUpAt = eventsOf(sim->log(), TrafficEvent::Kind::Note).back().time;
    ASSERT_TRUE(waitUntil([&] { return program.end.ends > 0; }));
    const auto endedAt = Clock::now();

    // A port that keeps failing would report again, or keep the loop spinning.
    const double cpuBefore = processCpuMs();
    runEventsFor(500ms);
    const double cpuUsed = processCpuMs() - cpuBefore;

    ASSERT_EQ(program.box.texts.size(), 1u);
    EXPECT_TRUE(program.box.texts[0].startsWith(QStringLiteral("Es ist ein Fehler aufgetreten: ")))
        << program.box.texts[0].toStdString();
    EXPECT_EQ(program.box.texts[0], fatalErrorMessage(1002));
    EXPECT_EQ(program.box.shownWithPollingOn, 0);
    EXPECT_EQ(program.end.ends, 1);
    EXPECT_EQ(program.timeline.events, (std::vector<std::string>{"box", "end"}));
    EXPECT_FALSE(program.w.tmr1.isActive());
    EXPECT_FALSE(program.channel.isOpen());
    EXPECT_LT(cpuUsed, 250.0) << "the program keeps working after the end was reported";
    std::printf("[figure] hang-up to the end of the program %.0f ms; CPU in the 500 ms after it %.0f ms\n",
                millisecondsBetween(hungUpAt, endedAt), cpuUsed);
}
