// The press-and-hold keys: the release command follows the press command by the time the
// key was held, and never comes first.
#include "liveunit.h"

#include <cstdio>

using namespace e2e;
using namespace testsupport;
using Commands = std::vector<std::string>;

namespace {
// Milliseconds between the unit's first and second received command.
double gapBetweenFirstTwo(const rixsim::TrafficLog &log)
{
    const auto events = eventsOf(log, TrafficEvent::Kind::Received);
    return millisecondsBetween(events.at(0).time, events.at(1).time);
}
} // namespace

class KeysOnTheLine : public LiveUnit {};

TEST_F(KeysOnTheLine, TR1HeldSendsTheReleaseCommandAfterTheHold)
{
    startUnit();
    connectProgram();

    const auto pressedAt = Clock::now();
    program.press(program.w.cmdTR1());
    // The user holds the key: real time has to pass. The press handler's own pause is part
    // of the hold, as a user's release waits behind it.
    const auto held = std::chrono::milliseconds(300) - (Clock::now() - pressedAt);
    if (held.count() > 0)
        runEventsFor(std::chrono::duration_cast<std::chrono::milliseconds>(held));
    EXPECT_EQ(received(), Commands{"$RSE1"}) << "nothing may be sent while the key is held";
    program.release(program.w.cmdTR1());

    ASSERT_TRUE(unitReceived(2));
    EXPECT_EQ(received(), (Commands{"$RSE1", "$RSEA"}));
    const double gap = gapBetweenFirstTwo(sim->log());
    EXPECT_GE(gap, 250.0);
    std::printf("[figure] TR1 held 300 ms: $RSE1 to $RSEA at the unit %.0f ms\n", gap);
}

TEST_F(KeysOnTheLine, TR2ShortClickWithTheRightButtonStillSendsPressBeforeRelease)
{
    startUnit();
    connectProgram();

    program.click(program.w.cmdTR2(), Qt::RightButton);

    ASSERT_TRUE(unitReceived(2));
    EXPECT_EQ(received(), (Commands{"$RSE2", "$RSEA"}));
    // The press's own pause (165 ms) separates them even for a zero-length click; allow
    // for the simulator thread noticing the first command late on a busy machine.
    const double gap = gapBetweenFirstTwo(sim->log());
    EXPECT_GE(gap, 120.0);
    EXPECT_EQ(program.w.ed1()->text(), QStringLiteral("$RSEA"));
    EXPECT_EQ(program.state.ButtonCommandFlag, 1);
    std::printf("[figure] TR2 zero-length click: $RSE2 to $RSEA at the unit %.0f ms\n", gap);
}
