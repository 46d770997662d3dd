// SPDX-License-Identifier: GPL-3.0-or-later
// The press-and-hold keys: the release command follows the press command by the time the
// key was held, and never comes first, also when the line went while the key was held.
#include "liveunit.h"

#include "rixsim/logformat.h"
#include "window/connection/connection.h"

#include <algorithm>
#include <cstdio>

using namespace e2e;
using namespace testsupport;
using Commands = std::vector<std::string>;
using namespace std::chrono_literals;

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

namespace {
// The unit's log as rix-sim writes it to standard error.
void printLog(const char *unit, const std::vector<TrafficEvent> &events)
{
    const auto steadyNow = std::chrono::steady_clock::now();
    const auto wallNow = std::chrono::system_clock::now();
    for (const TrafficEvent &event : events) {
        const auto wall = wallNow - std::chrono::duration_cast<std::chrono::system_clock::duration>(steadyNow - event.time);
        std::printf("[rix-sim log, %s] %s\n", unit, rixsim::formatLogLine(event, wall).c_str());
    }
}
} // namespace

// TR1 held, the adapter pulled, "Warten und neu verbinden": the unit that comes back has a
// line waiting (a stale answer), which is shown on its own line; then it gets the release it
// is owed before anything else, then the user's next command.
TEST_F(KeysOnTheLine, AKeyHeldWhenTheLineGoesIsReleasedFirstWhenTheUnitIsBack)
{
    UnitLink link;
    startUnit();
    link.pointAt(unitPath());
    program.connectTo(link.path());
    ASSERT_TRUE(program.connected());

    program.press(program.w.cmdTR1());
    ASSERT_TRUE(sim->log().waitFor([](const auto &events) { return events.size() >= 2; }, 5s));
    ASSERT_TRUE(listHas(program.w.lb2(), 1));
    const std::vector<TrafficEvent> firstUnit = sim->log().snapshot();
    EXPECT_EQ(received(), Commands{"$RSE1"});

    program.box.waitForThePort = true;
    program.box.waitTries = 50;
    program.box.beforeTry = [&](int attempt) {
        if (attempt == 2) {
            rixsim::TransportOptions stale;
            stale.sendOnOpen = "SRF0F011\r\n";
            startUnit(stale);   // the adapter is back, under the same name
            link.pointAt(unitPath());
        }
    };
    // The adapter pulled with the key held; its name leads nowhere until it is back.
    link.cut();
    sim.reset();
    ASSERT_TRUE(waitUntil([&] { return program.box.texts.size() >= 2 && program.connected(); }, 15s));
    EXPECT_EQ(program.box.texts[0],
              lostPortMessage(link.path(), 1002) + QLatin1Char('\r')
                  + QString::fromUtf8("Taste TR1 war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet."));
    program.release(program.w.cmdTR1());   // over the box: nothing
    ASSERT_TRUE(unitReceived(1));
    program.click(program.w.cmdF1());
    ASSERT_TRUE(unitReceived(2));
    ASSERT_TRUE(listHas(program.w.lbrx(), 4));
    runEventsFor(300ms);

    EXPECT_EQ(received(), (Commands{"$RSEA", "$RSRF1"})) << "the release once, first, then the user's command";
    // The stale line under the command line it met (the press), the release's answer under
    // the release. After a key's command the repeated address and letters are skipped:
    // nothing is left of "SE1" and "SEA" but their lines.
    const std::vector<QByteArray> sent = linesOf(*program.w.lb2());
    const std::vector<QByteArray> shown = linesOf(*program.w.lbrx());
    EXPECT_EQ(sent, (std::vector<QByteArray>{"$RSE1", "$RSE1", "$RSEA", "$RSRF1"}));
    EXPECT_EQ(shown, (std::vector<QByteArray>{"", "0F011", "", "0A00"})) << "never \"0F011SEA\"";
    EXPECT_EQ(program.end.ends, 0);
    printLog("before the loss", firstUnit);
    printLog("after the reconnect", sim->log().snapshot());
    for (std::size_t i = 0; i < std::max(sent.size(), shown.size()); ++i)
        std::printf("[lists] %-8s | %s\n", i < sent.size() ? sent[i].constData() : "",
                    i < shown.size() ? shown[i].constData() : "");
}

namespace {
// The unit's log without the stream: what it received, and how many texts it streamed
// between.
void printReceived(const rixsim::TrafficLog &log)
{
    const auto steadyNow = std::chrono::steady_clock::now();
    const auto wallNow = std::chrono::system_clock::now();
    int streamed = 0;
    for (const TrafficEvent &event : log.snapshot()) {
        if (event.kind == TrafficEvent::Kind::Sent) {
            ++streamed;
            continue;
        }
        const auto wall = wallNow - std::chrono::duration_cast<std::chrono::system_clock::duration>(steadyNow - event.time);
        std::printf("[rix-sim log, --send-every 10] (%d texts streamed before) %s\n", streamed,
                    rixsim::formatLogLine(event, wall).c_str());
    }
}

// A unit that streams an FMS status line every 10 ms: at 19200 baud 11 bytes take 5.7 ms,
// so the line is never quiet for 20 ms.
rixsim::TransportOptions streaming()
{
    rixsim::TransportOptions options;
    options.sendEvery = 10ms;
    options.sendEveryText = "FMS 12345\r\n";
    return options;
}
} // namespace

// Under a unit that never pauses, a short click keeps the key down on the unit no longer
// than its press takes (its 165 ms pause), and a held key goes up with the finger.
TEST_F(KeysOnTheLine, UnderAStreamingUnitAKeyIsHeldNoLongerThanTheFingerHoldsIt)
{
    startUnit(streaming());
    connectProgram();
    runEventsFor(200ms);

    program.click(program.w.cmdTR1());
    ASSERT_TRUE(unitReceived(2));
    EXPECT_EQ(received(), (Commands{"$RSE1", "$RSEA"}));
    const double shortClick = gapBetweenFirstTwo(sim->log());
    EXPECT_LT(shortClick, 600.0) << "was 1,120 ms when a click waited for the stream to end";
    std::printf("[figure] TR1 short click under --send-every 10: $RSE1 to $RSEA at the unit %.0f ms\n", shortClick);

    // Held for 400 ms: from the mouse-up to the release's last byte at the unit.
    const auto pressedAt = Clock::now();
    program.press(program.w.cmdTR2());
    const double pressMs = millisecondsBetween(pressedAt, eventsOf(sim->log(), TrafficEvent::Kind::Received).back().time);
    runEventsFor(400ms);
    const auto releasedAt = Clock::now();
    program.release(program.w.cmdTR2());
    ASSERT_TRUE(unitReceived(4));
    EXPECT_EQ(received(), (Commands{"$RSE1", "$RSEA", "$RSE2", "$RSEA"}));
    const double releaseMs = millisecondsBetween(releasedAt, eventsOf(sim->log(), TrafficEvent::Kind::Received).back().time);
    EXPECT_LT(releaseMs, 250.0) << "the release waits for nothing the unit sends";
    std::printf("[figure] under --send-every 10: mouse-down to $RSE2 at the unit %.0f ms, mouse-up to $RSEA %.0f ms\n",
                pressMs, releaseMs);
    EXPECT_EQ(program.end.ends, 0);
    EXPECT_TRUE(program.box.texts.empty());
    printReceived(sim->log());
}
