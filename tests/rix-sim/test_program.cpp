// SPDX-License-Identifier: GPL-3.0-or-later
// The rix-sim program as a child process, the way a test harness or a
// technician's shell runs it.
#include "support/childprocess.h"
#include "terminalside.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using rixsim::testing::ChildProcess;
using rixsim::testing::TerminalSide;

constexpr auto generous = 5000ms;
const std::string program = RIXSIM_PROGRAM;

std::string linkTarget(const std::string &path)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

bool exists(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string uniqueLinkPath(const std::string &suffix)
{
    return "/tmp/rixsim-test-link-" + std::to_string(::getpid()) + "-" + suffix;
}

class ProgramStops : public ::testing::TestWithParam<int> {};

TEST_P(ProgramStops, AnswersThroughItsLinkAndEndsCleanlyOnSignal)
{
    const std::string link = uniqueLinkPath(std::to_string(GetParam()));
    ChildProcess sim(program, {"--link", link});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0U) << "first line: '" << path << "'";
    EXPECT_EQ(linkTarget(link), path);
    {
        TerminalSide terminal(link);
        terminal.write("$RSRF0");
        EXPECT_EQ(terminal.readExactly(10, generous), "SRF0F011\r\n");
    }
    sim.signal(GetParam());
    EXPECT_EQ(sim.waitForExit(generous), 0);
    EXPECT_FALSE(exists(link)) << "the link must be removed at exit";
    EXPECT_EQ(sim.readAllStdout(), "") << "the path is the only line on stdout";
    const std::string log = sim.readAllStderr();
    EXPECT_NE(log.find(" <- $RSRF0\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" -> SRF0F011\\r\\n\n"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Signals, ProgramStops, ::testing::Values(SIGINT, SIGTERM));

TEST(Program, OptionsReachTheLine)
{
    ChildProcess sim(program, {"--echo", "--send", "HI\\r\\n"});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_FALSE(path.empty());
    TerminalSide terminal(path);
    EXPECT_EQ(terminal.readExactly(4, generous), "HI\r\n");
    terminal.write("$RSV");
    EXPECT_EQ(terminal.readExactly(19, generous), "$RSVSVrix-sim 1.0\r\n");
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(generous), 0);
}

TEST(Program, SeveralUnitsEachOnItsOwnLineWithItsOwnAddressAndRate)
{
    const std::string first = uniqueLinkPath("unit1");
    const std::string second = uniqueLinkPath("unit2");
    ChildProcess sim(program, {"--link", first, "--address", "3", "--and", "--link", second, "--echo",
                               "--unit-baud", "4800", "--address", "c"});
    const std::string path1 = sim.readStdoutLine(generous);
    const std::string path2 = sim.readStdoutLine(generous);
    ASSERT_EQ(path1.rfind("/dev/pts/", 0), 0U) << path1;
    ASSERT_NE(path1, path2);
    EXPECT_EQ(linkTarget(first), path1);
    EXPECT_EQ(linkTarget(second), path2);
    {
        TerminalSide one(first);
        TerminalSide two(second);
        two.setSpeed(B4800);
        one.write("$R3RF0");
        two.write("$RCRF0");
        EXPECT_EQ(one.readExactly(10, generous), "3RF03011\r\n");
        EXPECT_EQ(two.readExactly(16, generous), "$RCRF0CRF0C011\r\n");
        // The first unit answers its own digit only, the second only at its rate.
        one.write("$RCRF0");
        two.setSpeed(B19200);
        two.write("$RSRF0");
        EXPECT_EQ(one.readUntilQuiet(300ms, generous) + two.readUntilQuiet(300ms, generous), "");
    }
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(generous), 0);
    EXPECT_FALSE(exists(first));
    EXPECT_FALSE(exists(second));
    const std::string log = sim.readAllStderr();
    EXPECT_NE(log.find("unit 1: "), std::string::npos) << log;
    EXPECT_NE(log.find(" -> $RCRF0CRF0C011\\r\\n\n"), std::string::npos) << log;
}

TEST(Program, AUnitThatHangsUpEndsAloneTheOthersGoOn)
{
    ChildProcess sim(program, {"--hangup-after", "0.2", "--and", "--address", "5"});
    const std::string path1 = sim.readStdoutLine(generous);
    const std::string path2 = sim.readStdoutLine(generous);
    ASSERT_FALSE(path2.empty());
    std::this_thread::sleep_for(400ms);
    TerminalSide two(path2);
    two.write("$R5RF0");
    EXPECT_EQ(two.readExactly(10, generous), "5RF05011\r\n");
    EXPECT_FALSE(sim.waitForExit(100ms).has_value()) << "the second unit still runs";
    sim.signal(SIGINT);
    EXPECT_EQ(sim.waitForExit(generous), 0);
}

double millisBetween(TerminalSide::Clock::time_point from, TerminalSide::Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

TEST(Program, VersionTextAndNoPaceReachTheLine)
{
    const std::string version(56, 'v');
    ChildProcess sim(program, {"--no-pace", "--version-text", version});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_FALSE(path.empty());
    TerminalSide terminal(path);
    terminal.setSpeed(B4800); // paced, these 60 bytes would take 123 ms
    terminal.write("$RSV");
    const auto chunks = terminal.readChunks(60, generous);
    std::string answer;
    for (const auto &chunk : chunks)
        answer += chunk.bytes;
    ASSERT_EQ(answer, "SV" + version + "\r\n");
    EXPECT_LT(millisBetween(chunks.front().time, chunks.back().time), 10.0);
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(generous), 0);
}

TEST(Program, SendEveryRepeatsItsTextWhileRunning)
{
    // Counted over a window from the start: a late read cannot add a text,
    // so at most one per period can have been sent within it.
    const auto started = TerminalSide::Clock::now();
    constexpr auto window = 700ms;
    ChildProcess sim(program, {"--send-every", "150", "HI\\r\\n"});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_FALSE(path.empty());
    TerminalSide terminal(path);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(started + window - TerminalSide::Clock::now());
    ASSERT_GT(left.count(), 0);
    const std::string text = terminal.readUntilQuiet(left, left);
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find("HI\r\n", at)) != std::string::npos; at += 4)
        ++count;
    EXPECT_EQ(text.size(), 4 * count) << text;
    EXPECT_GE(count, 2U);
    EXPECT_LE(count, 4U);

    terminal.write("$RSQ"); // still a unit between the texts
    const std::string rest = terminal.readUntilQuiet(100ms, 1000ms);
    EXPECT_NE(rest.find("SQ\r\n"), std::string::npos) << rest;
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.waitForExit(generous), 0);
}

TEST(Program, HangUpClosesTheLineAndExitsByItself)
{
    ChildProcess sim(program, {"--hangup-after", "0.2"});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_FALSE(path.empty());
    TerminalSide terminal(path);
    pollfd pfd{terminal.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, static_cast<int>(generous.count())), 1);
    EXPECT_NE(pfd.revents & POLLHUP, 0);
    EXPECT_EQ(sim.waitForExit(generous), 0);
    EXPECT_NE(sim.readAllStderr().find("hung up"), std::string::npos);
}

TEST(Program, BadOptionIsOneLineOnStderrAndExitCode2)
{
    ChildProcess sim(program, {"--delay", "soon"});
    EXPECT_EQ(sim.waitForExit(generous), 2);
    EXPECT_EQ(sim.readAllStdout(), "");
    const std::string error = sim.readAllStderr();
    EXPECT_NE(error.find("soon"), std::string::npos) << error;
    ASSERT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
}

// A recording to replay, as a file; removed with the test.
class RecordingFile {
public:
    explicit RecordingFile(const std::string &text) : path_(uniqueLinkPath("recording.txt"))
    {
        FILE *file = std::fopen(path_.c_str(), "w");
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
    ~RecordingFile() { ::unlink(path_.c_str()); }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

TEST(Program, ReplayNamesTheLinesItSkipsAndAMismatchThatStopsExitsWith3)
{
    const RecordingFile recording("# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\n"
                                  "kaputt\n"
                                  "> 2026-12-07 18:00:02.000\t$RSV\n");
    ChildProcess sim(program, {"--replay", recording.path(), "--replay-mismatch", "stop"});
    const std::string path = sim.readStdoutLine(generous);
    ASSERT_FALSE(path.empty());
    TerminalSide terminal(path);
    terminal.write("$RSRF0");
    EXPECT_EQ(sim.waitForExit(generous), 3);
    const std::string log = sim.readAllStderr();
    EXPECT_NE(log.find(recording.path() + ": line 2: not a line of a recording, skipped"), std::string::npos) << log;
    EXPECT_NE(log.find("replay: not in the recording: $RSRF0, stopping"), std::string::npos) << log;
}

TEST(Program, AReplayOfNoRecordingExitsWithFailure)
{
    const RecordingFile foreign("Liebe Werkstatt,\nanbei der Mitschnitt.\n");
    for (const std::string &file : {foreign.path(), std::string("/nonexistent/mitschnitt.txt")}) {
        ChildProcess sim(program, {"--replay", file});
        EXPECT_EQ(sim.waitForExit(generous), 1);
        EXPECT_EQ(sim.readAllStdout(), "");
        EXPECT_NE(sim.readAllStderr().find(file), std::string::npos);
    }
}

TEST(Program, MissingDeviceExitsWithFailure)
{
    ChildProcess sim(program, {"--device", "/nonexistent/ttyRIX"});
    EXPECT_EQ(sim.waitForExit(generous), 1);
    EXPECT_EQ(sim.readAllStdout(), "");
    EXPECT_NE(sim.readAllStderr().find("/nonexistent/ttyRIX"), std::string::npos);
}

} // namespace
