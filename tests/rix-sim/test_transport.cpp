// SPDX-License-Identifier: GPL-3.0-or-later
// The transport against a real pseudo-terminal, driven from the side a
// terminal program holds.
#include "rixsim/backgroundsimulator.h"
#include "rixsim/flood.h"
#include "rixsim/replay/replayscript.h"
#include "terminalside.h"
#include "trafficevents.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using rixsim::TrafficEvent;
using rixsim::testing::TerminalSide;
using Clock = std::chrono::steady_clock;
using Kind = TrafficEvent::Kind;

constexpr auto generous = 3000ms;

using rixsim::testing::eventsOf;

bool waitForCount(const rixsim::TrafficLog &log, Kind kind, std::size_t count)
{
    return rixsim::testing::waitForCount(log, kind, count, generous);
}

bool waitForNote(const rixsim::TrafficLog &log, const std::string &start,
                 std::chrono::milliseconds timeout = generous)
{
    return log.waitFor([&](const std::vector<TrafficEvent> &events) {
        for (const auto &e : events)
            if (e.kind == Kind::Note && e.bytes.rfind(start, 0) == 0)
                return true;
        return false;
    }, timeout);
}

bool waitForNoteNow(const rixsim::TrafficLog &log, const std::string &start)
{
    return waitForNote(log, start, 0ms);
}

rixsim::TransportOptions withSplit(std::chrono::milliseconds gap)
{
    rixsim::TransportOptions options;
    options.splitGap = gap;
    options.paced = false; // each half arrives in one read
    return options;
}

TEST(TransportAnswers, ReadCommandGetsExactlyItsAnswer)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF0");
    EXPECT_EQ(terminal.readExactly(10, generous), "SRF0F011\r\n");
    EXPECT_EQ(terminal.readUntilQuiet(60ms, 200ms), "") << "nothing may follow the answer";

    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    EXPECT_EQ(sim.log().joined(Kind::Received), "$RSRF0");
    EXPECT_EQ(sim.log().joined(Kind::Sent), "SRF0F011\r\n");
}

TEST(TransportAnswers, CommandsAfterAQuietGapGetOneAnswerEach)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    terminal.write("$RSPF30E30");
    // Once the first command has been framed the line has been quiet for
    // 10 ms, so the next bytes start a new command.
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Received, 1));
    terminal.write("$RSRF3");
    EXPECT_EQ(terminal.readExactly(20, generous), "SPF30E30\r\nSRF30E30\r\n");

    const auto received = eventsOf(sim.log(), Kind::Received);
    ASSERT_EQ(received.size(), 2U);
    EXPECT_EQ(received[0].bytes, "$RSPF30E30");
    EXPECT_EQ(received[1].bytes, "$RSRF3");
    EXPECT_LT(received[0].time, received[1].time);
    EXPECT_EQ(sim.transport().unit().parameter(3), "0E30");
}

TEST(TransportAnswers, BytesWithoutAGapAreOneCommand)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF0$RSRF1");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Received, 1));
    EXPECT_EQ(sim.log().joined(Kind::Received), "$RSRF0$RSRF1");
    terminal.write("$RSQ"); // the line still works, and this is the only answer
    EXPECT_EQ(terminal.readExactly(4, generous), "SQ\r\n");
    EXPECT_EQ(eventsOf(sim.log(), Kind::Received).size(), 2U);
}

TEST(TransportAnswers, ForeignAddressIsLoggedButNotAnswered)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    terminal.write("$RARF0");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Received, 1));
    terminal.write("$RFE1");
    EXPECT_EQ(terminal.readExactly(5, generous), "FE1\r\n");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    EXPECT_EQ(sim.log().joined(Kind::Sent), "FE1\r\n");
}

TEST(TransportAnswers, EchoModeSendsTheCommandBackFirst)
{
    rixsim::BackgroundSimulator sim({}, rixsim::Unit(true));
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF0");
    EXPECT_EQ(terminal.readExactly(16, generous), "$RSRF0SRF0F011\r\n");
}

TEST(TransportAnswers, TerminalCanCloseAndReopenTheLine)
{
    rixsim::BackgroundSimulator sim;
    {
        TerminalSide first(sim.path());
        first.write("$RSPF20001");
        EXPECT_EQ(first.readExactly(10, generous), "SPF20001\r\n");
    }
    TerminalSide second(sim.path());
    second.write("$RSRF2");
    EXPECT_EQ(second.readExactly(10, generous), "SRF20001\r\n");
    EXPECT_FALSE(sim.waitForEnd(0ms).has_value()) << "closing the slave must not end the simulator";
}

TEST(TransportAnswers, SilentUnitLogsAndTakesWhatItNoLongerAnswers)
{
    rixsim::Unit unit;
    unit.setMuteAfterWrites(1);
    rixsim::BackgroundSimulator sim({}, unit);
    TerminalSide terminal(sim.path());
    terminal.write("$RSPF30E30");
    EXPECT_EQ(terminal.readExactly(10, generous), "SPF30E30\r\n");
    terminal.write("$RSRF3");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Received, 2));
    terminal.write("$RSPF41234");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Received, 3));
    EXPECT_EQ(terminal.readUntilQuiet(200ms, 1000ms), "");

    EXPECT_EQ(sim.log().joined(Kind::Received), "$RSPF30E30$RSRF3$RSPF41234");
    EXPECT_EQ(sim.log().joined(Kind::Sent), "SPF30E30\r\n");
    EXPECT_TRUE(waitForNoteNow(sim.log(), "falls silent after write 1"));
    EXPECT_EQ(sim.transport().unit().parameter(4), "1234");
}

TEST(TransportAnswers, AUnitSetToOneRateHearsNoiseAtAnother)
{
    rixsim::TransportOptions at4800;
    at4800.unitRate = 4800;
    rixsim::BackgroundSimulator sim(at4800);
    TerminalSide terminal(sim.path());
    terminal.setSpeed(B19200);
    terminal.write("$RSRF0");
    ASSERT_TRUE(waitForNote(sim.log(), "not understood at 19200 baud: the unit works at 4800"));
    EXPECT_EQ(terminal.readUntilQuiet(100ms, 300ms), "");

    terminal.setSpeed(B4800);
    terminal.write("$RSRF0");
    EXPECT_EQ(terminal.readExactly(10, generous), "SRF0F011\r\n");
    EXPECT_EQ(sim.log().joined(Kind::Received), "$RSRF0$RSRF0");
}

TEST(TransportTiming, AnswerDelayHoldsTheAnswerBack)
{
    rixsim::TransportOptions options;
    options.answerDelay = 120ms;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    const auto sent = Clock::now();
    terminal.write("$RSE2");
    EXPECT_EQ(terminal.readExactly(5, generous), "SE2\r\n");
    EXPECT_GE(Clock::now() - sent, 120ms);
}

TEST(TransportTiming, SplitAnswerHasAGapInTheMiddle)
{
    rixsim::BackgroundSimulator sim(withSplit(100ms));
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF0");
    const auto chunks = terminal.readChunks(10, generous);
    std::string whole;
    for (const auto &chunk : chunks)
        whole += chunk.bytes;
    ASSERT_EQ(whole, "SRF0F011\r\n");
    ASSERT_GE(chunks.size(), 2U);
    EXPECT_EQ(chunks.front().bytes, "SRF0F");
    EXPECT_GT(chunks.back().time - chunks.front().time, 20ms) << "the receiver must see a pause > 20 ms";

    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 2));
    const auto sentEvents = eventsOf(sim.log(), Kind::Sent);
    ASSERT_EQ(sentEvents.size(), 2U);
    EXPECT_EQ(sentEvents[0].bytes, "SRF0F");
    EXPECT_EQ(sentEvents[1].bytes, "011\r\n");
    EXPECT_GE(sentEvents[1].time - sentEvents[0].time, 100ms);
}

TEST(TransportTiming, UnsolicitedTextIsWaitingWhenTheTerminalOpens)
{
    rixsim::TransportOptions options;
    options.sendAtStart = "HELLO\r\n";
    rixsim::BackgroundSimulator sim(options);
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    TerminalSide terminal(sim.path());
    EXPECT_EQ(terminal.readExactly(7, generous), "HELLO\r\n");
    terminal.write("$RSQ");
    EXPECT_EQ(terminal.readExactly(4, generous), "SQ\r\n");
}

TEST(TransportTiming, TextOnOpenWaitsForTheTerminalAndComesBeforeTheFirstAnswer)
{
    rixsim::TransportOptions options;
    options.sendOnOpen = "SRF0F011\r\n";
    rixsim::BackgroundSimulator sim(options);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sim.log().joined(Kind::Sent), "") << "nobody has opened the line yet";
    {
        TerminalSide terminal(sim.path());
        terminal.write("$RSRF1"); // asked at once, as a program does
        EXPECT_EQ(terminal.readExactly(20, generous), "SRF0F011\r\nSRF10A00\r\n");
    }
    TerminalSide again(sim.path());
    again.write("$RSQ");
    EXPECT_EQ(again.readUntilQuiet(200ms, 1000ms), "SQ\r\n") << "sent on the first open only";
    const auto sent = eventsOf(sim.log(), Kind::Sent);
    ASSERT_EQ(sent.size(), 3U);
    EXPECT_EQ(sent[0].bytes, "SRF0F011\r\n");
}

TEST(TransportTiming, TextOnOpenGoesOutAtStartOnADevice)
{
    // A pseudo-terminal's slave stands in for a serial port, its master for
    // the far end, which is there from the start.
    rixsim::SimPort pty = rixsim::SimPort::openPseudoTerminal();
    rixsim::TransportOptions options;
    options.sendOnOpen = "STALE\r\n";
    options.paced = false;
    rixsim::Transport transport(rixsim::SimPort::openDevice(pty.path(), 19200), rixsim::Unit(), options);
    std::thread runner([&transport] { transport.run(); });
    pollfd pfd{pty.fd(), POLLIN, 0};
    EXPECT_EQ(::poll(&pfd, 1, static_cast<int>(generous.count())), 1);
    char buffer[16] = {};
    const ssize_t n = ::read(pty.fd(), buffer, sizeof buffer);
    transport.stop();
    runner.join();
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), "STALE\r\n");
}

// Checks that text is whole flood lines numbered from `next` on, with any
// other whole lines collected in `others`; returns the next expected number.
std::uint64_t checkFloodLines(const std::string &text, std::uint64_t next, std::vector<std::string> &others)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "the stream ends inside a line";
        if (end == std::string::npos)
            break;
        const std::string line = text.substr(at, end - at);
        if (const auto number = rixsim::parseFloodLine(line)) {
            EXPECT_EQ(*number, next) << "flood line out of order or lost";
            if (*number != next)
                return 0;
            ++next;
        } else {
            others.push_back(line);
        }
        at = end + 2;
    }
    return next;
}

TEST(TransportFlood, LinesArriveCompleteAndInOrderWithAnswersBetweenThem)
{
    rixsim::TransportOptions options;
    options.flood = 400ms;
    options.paced = false; // the first 2000 bytes come at once
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());

    std::string stream = terminal.readExactly(2000, generous);
    ASSERT_EQ(stream.size(), 2000U);
    terminal.write("$RSRF5");
    // Keep reading: the flood only finishes once its last chunk is taken.
    const auto deadline = Clock::now() + 10s;
    while (!waitForNoteNow(sim.log(), "flood finished") && Clock::now() < deadline)
        stream += terminal.readUntilQuiet(50ms, 200ms);
    ASSERT_TRUE(waitForNoteNow(sim.log(), "flood finished"));
    stream += terminal.readUntilQuiet(100ms, 2s);

    std::vector<std::string> others;
    const std::uint64_t next = checkFloodLines(stream, 1, others);
    EXPECT_GT(next, 30U) << "the flood should have sent many lines";
    EXPECT_EQ(others, std::vector<std::string>{"SRF564C8"});

    const auto notes = eventsOf(sim.log(), Kind::Note);
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().bytes, "flood finished after " + std::to_string(next - 1) + " lines");
}

TEST(TransportFlood, PacedFloodStillTakesAnswersBetweenItsLines)
{
    rixsim::TransportOptions options;
    options.flood = 300ms;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    terminal.setSpeed(B38400);

    std::string stream = terminal.readExactly(100, generous); // inside the second line
    terminal.write("$RSRF5");
    ASSERT_TRUE(waitForNote(sim.log(), "flood finished"));
    stream += terminal.readUntilQuiet(100ms, 2s);

    std::vector<std::string> others;
    const std::uint64_t next = checkFloodLines(stream, 1, others);
    // 300 ms at 3840 bytes/s is about 17 lines of 68 bytes.
    EXPECT_GE(next, 10U);
    EXPECT_LE(next, 30U) << "a paced flood must not outrun the line";
    EXPECT_EQ(others, std::vector<std::string>{"SRF564C8"});
}

double processCpuMillis()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

TEST(TransportFlood, FullLineWaitsWithoutSpinningAndStillStops)
{
    rixsim::TransportOptions options;
    options.flood = 5000ms;
    options.paced = false; // fills the pty buffer at once
    rixsim::BackgroundSimulator sim(options);
    // Nobody reads: the pty buffer fills within milliseconds and then the
    // loop may only wait for room.
    ASSERT_TRUE(waitForNote(sim.log(), "flood started"));
    std::this_thread::sleep_for(100ms); // real time for the buffer to fill
    const double cpuBefore = processCpuMillis();
    std::this_thread::sleep_for(400ms); // real time in which a spinning loop would burn CPU
    EXPECT_LT(processCpuMillis() - cpuBefore, 100.0);

    const auto stopAsked = Clock::now();
    sim.stop();
    EXPECT_LT(Clock::now() - stopAsked, 1000ms);
    EXPECT_EQ(sim.waitForEnd(0ms), rixsim::RunEnd::Stopped);
}

TEST(TransportEnd, HangUpGivesTheTerminalEofAndEndsTheRun)
{
    rixsim::TransportOptions options;
    options.hangupAfter = 150ms;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF1");
    EXPECT_EQ(terminal.readExactly(10, generous), "SRF10A00\r\n");

    pollfd pfd{terminal.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, static_cast<int>(generous.count())), 1);
    EXPECT_NE(pfd.revents & POLLHUP, 0);
    char byte = 0;
    const ssize_t n = ::read(terminal.fd(), &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << "read gave " << n;
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::HungUp);
    EXPECT_EQ(sim.log().snapshot().back().bytes, "hung up");
}

// The terminal's side of a hung-up line: POLLHUP, then EOF or EIO.
void expectHungUp(const TerminalSide &terminal)
{
    pollfd pfd{terminal.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, static_cast<int>(generous.count())), 1);
    EXPECT_NE(pfd.revents & POLLHUP, 0);
    char byte = 0;
    const ssize_t n = ::read(terminal.fd(), &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << "read gave " << n;
}

TEST(TransportEnd, HangUpAfterWritesComesOnceTheLastAnswerIsRead)
{
    rixsim::TransportOptions options;
    options.hangupAfterWrites = 2;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    terminal.write("$RSPF10001");
    EXPECT_EQ(terminal.readExactly(10, generous), "SPF10001\r\n");
    // Neither a read nor a malformed write is a write that counts.
    terminal.write("$RSRF1");
    EXPECT_EQ(terminal.readExactly(10, generous), "SRF10001\r\n");
    terminal.write("$RSPF2XYZ");
    EXPECT_EQ(terminal.readExactly(7, generous), "SPF2?\r\n");
    EXPECT_FALSE(sim.waitForEnd(50ms).has_value());

    terminal.write("$RSPF20002");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 4));
    // A program busy elsewhere reads late; closing the line before it did
    // would throw the answer away.
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(sim.waitForEnd(0ms).has_value());
    EXPECT_EQ(terminal.readExactly(10, generous), "SPF20002\r\n");
    expectHungUp(terminal);
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::HungUp);
    EXPECT_EQ(sim.log().snapshot().back().bytes, "hung up after write 2");
    EXPECT_EQ(sim.transport().unit().parameter(2), "0002");
}

TEST(TransportEnd, HangUpAfterAnUnansweredWriteComesAtOnce)
{
    rixsim::TransportOptions options;
    options.hangupAfterWrites = 2;
    rixsim::Unit unit;
    unit.setMuteAfterWrites(1);
    rixsim::BackgroundSimulator sim(options, unit);
    TerminalSide terminal(sim.path());
    terminal.write("$RSPF10001");
    EXPECT_EQ(terminal.readExactly(10, generous), "SPF10001\r\n");
    terminal.write("$RSPF20002");
    expectHungUp(terminal);
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::HungUp);
    EXPECT_EQ(sim.log().joined(Kind::Sent), "SPF10001\r\n");
}

TEST(TransportEnd, HangUpAfterWritesDoesNotWaitForeverForAProgramThatNeverReads)
{
    rixsim::TransportOptions options;
    options.hangupAfterWrites = 1;
    rixsim::BackgroundSimulator sim(options);
    TerminalSide terminal(sim.path());
    terminal.write("$RSPF10001");
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    terminal.write("$RSRF1"); // the line is as good as gone: nothing more is taken
    EXPECT_EQ(sim.waitForEnd(6000ms), rixsim::RunEnd::HungUp);
    EXPECT_EQ(sim.log().joined(Kind::Received), "$RSPF10001");
}

TEST(TransportEnd, StopFromAnotherThreadEndsTheRunAtOnce)
{
    rixsim::BackgroundSimulator sim;
    TerminalSide terminal(sim.path());
    terminal.write("$RSQ");
    EXPECT_EQ(terminal.readExactly(4, generous), "SQ\r\n");
    EXPECT_FALSE(sim.waitForEnd(50ms).has_value());
    std::thread stopper([&sim] { sim.transport().stop(); });
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::Stopped);
    stopper.join();
}

TEST(TransportEnd, StopBeforeRunReturnsAtOnce)
{
    rixsim::Transport transport(rixsim::SimPort::openPseudoTerminal());
    transport.stop();
    const auto start = Clock::now();
    EXPECT_EQ(transport.run(), rixsim::RunEnd::Stopped);
    EXPECT_LT(Clock::now() - start, 500ms);
}

TEST(TransportEnd, ClosedPortIsALostLine)
{
    rixsim::SimPort port = rixsim::SimPort::openPseudoTerminal();
    port.close();
    rixsim::Transport transport(std::move(port));
    EXPECT_EQ(transport.run(), rixsim::RunEnd::LineLost);
    EXPECT_NE(transport.lineError(), 0);
}

// --replay on a real line: a recorded session at 4800, its connection begun by the open.
rixsim::TransportOptions replaying(const char *recording, rixsim::Replay::OnMismatch onMismatch = {},
                                  bool endStops = false)
{
    rixsim::TransportOptions options;
    options.replay = std::make_shared<const rixsim::ReplayScript>(rixsim::ReplayScript::fromRecording(recording));
    options.replayMismatch = onMismatch;
    options.replayEndStops = endStops;
    return options;
}

const char *const replayedSession =
    "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:4800,n,8,1\n"
    "< 2026-12-07 18:00:01.300\tALARM\\r\\n\n"
    "> 2026-12-07 18:00:02.000\t$RSRF0\n"
    "< 2026-12-07 18:00:02.005\t$RSRF0SRF0F011\\r\\n\n"
    "# 2026-12-07 18:00:03.000 Verbindung unterbrochen (Fehler 1002): weg\n";

TEST(TransportReplay, TheOpenBeginsTheRecordingAndAMatchingCommandGetsItsRecordedAnswer)
{
    rixsim::BackgroundSimulator sim(replaying(replayedSession));
    std::this_thread::sleep_for(400ms);   // nothing goes out before a program opens the line
    const auto opened = Clock::now();
    TerminalSide terminal(sim.path());
    terminal.setSpeed(B4800);
    const std::vector<TerminalSide::Chunk> alarm = terminal.readChunks(7, generous);
    ASSERT_FALSE(alarm.empty());
    EXPECT_GE(alarm.front().time - opened, 290ms) << "its offset after the open";
    EXPECT_LT(alarm.front().time - opened, 1000ms);
    terminal.write("$RSRF1");   // not recorded: no answer
    ASSERT_TRUE(waitForNote(sim.log(), "replay: not in the recording: $RSRF1, not answered"));
    terminal.write("$RSRF0");
    EXPECT_EQ(terminal.readExactly(16, generous), "$RSRF0SRF0F011\r\n") << "the echo at 4800 and the answer";
    EXPECT_TRUE(waitForNote(sim.log(), "replay: write 1 of 1 as recorded"));
    // The recorded loss, one second after the write: the line is pulled.
    expectHungUp(terminal);
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::HungUp);
    EXPECT_TRUE(waitForNoteNow(sim.log(), "hung up as recorded"));
}

TEST(TransportReplay, AMismatchThatStopsClosesTheLineAndEndsTheRun)
{
    rixsim::BackgroundSimulator sim(replaying(replayedSession, rixsim::Replay::OnMismatch::Stop));
    TerminalSide terminal(sim.path());
    terminal.write("$RSV");
    expectHungUp(terminal);
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::ReplayMismatch);
    EXPECT_TRUE(waitForNoteNow(sim.log(), "replay: not in the recording: $RSV, stopping"));
}

TEST(TransportReplay, AMismatchTheUnitAnswersAndTheEndThatStops)
{
    const char *const recording =
        "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:19200,n,8,1\n"
        "> 2026-12-07 18:00:02.000\t$RSV\n"
        "< 2026-12-07 18:00:02.011\tSValt\\r\\n\n";
    rixsim::BackgroundSimulator sim(replaying(recording, rixsim::Replay::OnMismatch::Unit, true));
    TerminalSide terminal(sim.path());
    terminal.write("$RSRF1");
    EXPECT_EQ(terminal.readExactly(10, generous), "SRF10A00\r\n") << "the simulated unit's answer";
    ASSERT_TRUE(waitForCount(sim.log(), Kind::Sent, 1));
    terminal.write("$RSV");
    EXPECT_EQ(terminal.readExactly(7, generous), "SValt\r\n");
    expectHungUp(terminal);
    EXPECT_EQ(sim.waitForEnd(generous), rixsim::RunEnd::ReplayEnded);
}

TEST(SimPortTest, PseudoTerminalPathIsAnOpenableTerminal)
{
    rixsim::SimPort port = rixsim::SimPort::openPseudoTerminal();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.isPseudoTerminal());
    EXPECT_EQ(port.path().rfind("/dev/pts/", 0), 0U) << port.path();
    TerminalSide terminal(port.path());
    EXPECT_EQ(::isatty(terminal.fd()), 1);
}

TEST(SimPortTest, DeviceModeRefusesMissingPortAndOddRate)
{
    EXPECT_THROW(rixsim::SimPort::openDevice("/nonexistent/ttyRIX"), std::system_error);
    rixsim::SimPort pty = rixsim::SimPort::openPseudoTerminal();
    EXPECT_THROW(rixsim::SimPort::openDevice(pty.path(), 12345), std::invalid_argument);
}

TEST(SimPortTest, DeviceModeWorksOnAnyTerminal)
{
    // A pseudo-terminal's slave stands in for a serial port here.
    rixsim::SimPort pty = rixsim::SimPort::openPseudoTerminal();
    rixsim::SimPort device = rixsim::SimPort::openDevice(pty.path(), 19200);
    EXPECT_FALSE(device.isPseudoTerminal());
    EXPECT_EQ(device.path(), pty.path());
    rixsim::Transport transport(std::move(device));
    std::thread runner([&transport] { transport.run(); });
    // The master side plays the terminal program here.
    ASSERT_EQ(::write(pty.fd(), "$RSRF6", 6), 6);
    std::string answer;
    const auto deadline = Clock::now() + generous;
    while (answer.size() < 10 && Clock::now() < deadline) {
        pollfd pfd{pty.fd(), POLLIN, 0};
        if (::poll(&pfd, 1, 100) == 1) {
            char buffer[64];
            const ssize_t n = ::read(pty.fd(), buffer, sizeof buffer);
            if (n > 0)
                answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    transport.stop();
    runner.join();
    EXPECT_EQ(answer, "SRF61010\r\n");
}

} // namespace
