// SPDX-License-Identifier: GPL-3.0-or-later
// How fast bytes leave the simulator: ten bits each at the rate the terminal
// program set, as the receiving side of a real line sees them.
#include "rixsim/backgroundsimulator.h"
#include "terminalside.h"
#include "trafficevents.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using rixsim::TrafficEvent;
using rixsim::testing::TerminalSide;
using Clock = std::chrono::steady_clock;
using Kind = TrafficEvent::Kind;
using Chunks = std::vector<TerminalSide::Chunk>;

constexpr auto generous = 3000ms;
// "SV" + this + CR LF is a 60-character answer.
const std::string longVersion(56, 'v');
const std::string longAnswer = "SV" + longVersion + "\r\n";

rixsim::Unit unitWithLongVersion()
{
    rixsim::Unit unit;
    unit.setVersionText(longVersion);
    return unit;
}

std::string joined(const Chunks &chunks)
{
    std::string out;
    for (const auto &chunk : chunks)
        out += chunk.bytes;
    return out;
}

double millisBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// From the first byte's arrival to the last one's.
double spreadMs(const Chunks &chunks)
{
    return millisBetween(chunks.front().time, chunks.back().time);
}

using rixsim::testing::eventsOf;

bool waitForCount(const rixsim::TrafficLog &log, Kind kind, std::size_t count)
{
    return rixsim::testing::waitForCount(log, kind, count, generous);
}

// A late wake-up of the reading thread only ever makes a byte look later.
// So the lower bound is taken from the command, which the answer cannot
// start before (plus the 10 ms quiet gap), and the upper one from the first
// byte's arrival, which cannot be early.
struct Timing {
    Clock::time_point asked; // the command written
    double fromCommandMs;    // command written .. last byte read
    double firstToLastMs;    // first byte read .. last byte read
};

Timing askVersion(TerminalSide &terminal)
{
    const auto asked = Clock::now();
    terminal.write("$RSV");
    const Chunks chunks = terminal.readChunks(60, generous);
    EXPECT_EQ(joined(chunks), longAnswer);
    if (chunks.empty())
        return {asked, 0.0, 0.0};
    return {asked, millisBetween(asked, chunks.back().time), spreadMs(chunks)};
}

TEST(Pacing, AnswerTakesTenBitsPerByteAtTheRateTheTerminalSetLast)
{
    rixsim::BackgroundSimulator sim({}, unitWithLongVersion());
    TerminalSide terminal(sim.path());

    // 59 character times between the first byte and the last: 30.7 ms at
    // 19200, 122.9 ms at 4800.
    terminal.setSpeed(B19200);
    const Timing fast = askVersion(terminal);
    EXPECT_GE(fast.fromCommandMs, 10.0 + 29.0);
    EXPECT_LE(fast.firstToLastMs, 45.0);

    // The rate is read again for each answer, as after a reconnect.
    terminal.setSpeed(B4800);
    const Timing slow = askVersion(terminal);
    EXPECT_GE(slow.fromCommandMs, 10.0 + 120.0);
    EXPECT_LE(slow.firstToLastMs, 160.0);

    // Latency is measured from the Sent event, so it must mark the last byte.
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 2));
    const auto sent = eventsOf(sim.log(), Kind::Sent);
    EXPECT_GE(millisBetween(slow.asked, sent[1].time), 10.0 + 120.0);
}

TEST(Pacing, OffSendsTheWholeAnswerAtOnce)
{
    rixsim::TransportOptions options;
    options.paced = false;
    rixsim::BackgroundSimulator sim(options, unitWithLongVersion());
    TerminalSide terminal(sim.path());
    terminal.setSpeed(B4800);
    terminal.write("$RSV");
    const Chunks chunks = terminal.readChunks(60, generous);
    ASSERT_EQ(joined(chunks), longAnswer);
    EXPECT_LT(spreadMs(chunks), 10.0);
}

TEST(Unasked, SlowTextTricklesOneByteEveryPerByteEvenUnpaced)
{
    rixsim::TransportOptions options;
    options.paced = false;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    const auto asked = Clock::now();
    sim.sendUnasked("ABCDE", 15ms);
    const Chunks chunks = terminal.readChunks(5, generous);
    ASSERT_EQ(joined(chunks), "ABCDE");
    // Byte k cannot be written before k pauses have passed; reading late
    // only adds to that.
    std::size_t bytesSoFar = 0;
    for (const auto &chunk : chunks) {
        bytesSoFar += chunk.bytes.size();
        EXPECT_GE(millisBetween(asked, chunk.time), 14.0 * static_cast<double>(bytesSoFar - 1))
            << "byte " << bytesSoFar - 1 << " came too early";
    }

    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    const auto sent = eventsOf(sim.log(), Kind::Sent);
    ASSERT_EQ(sent.size(), 1U) << "one event for the whole text";
    EXPECT_EQ(sent[0].bytes, "ABCDE");
    EXPECT_GE(millisBetween(asked, sent[0].time), 4 * 14.0) << "the event must wait for the last byte";
}

TEST(Unasked, CommandIsFramedWhileATextGoesOutAndAnsweredAfterIt)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    const std::string text(20, 'u');
    sim.sendUnasked(text, 15ms);
    ASSERT_EQ(terminal.readExactly(1, generous), "u");
    terminal.write("$RSQ");

    const std::string rest = terminal.readExactly(text.size() - 1 + 4, generous);
    EXPECT_EQ(rest, text.substr(1) + "SQ\r\n") << "the answer waits behind the text, never inside it";

    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 2));
    const auto received = eventsOf(sim.log(), Kind::Received);
    const auto sent = eventsOf(sim.log(), Kind::Sent);
    ASSERT_EQ(received.size(), 1U);
    EXPECT_EQ(received[0].bytes, "$RSQ");
    EXPECT_EQ(sent[0].bytes, text);
    EXPECT_LT(received[0].time + 100ms, sent[0].time) << "the command must be taken while the text is still going";
}

} // namespace
