// SPDX-License-Identifier: GPL-3.0-or-later
// The rix-sim program as a child process, the way a test harness or a
// technician's shell runs it.
#include "support/childprocess.h"
#include "terminalside.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <poll.h>
#include <sys/stat.h>
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

TEST(Program, MissingDeviceExitsWithFailure)
{
    ChildProcess sim(program, {"--device", "/nonexistent/ttyRIX"});
    EXPECT_EQ(sim.waitForExit(generous), 1);
    EXPECT_EQ(sim.readAllStdout(), "");
    EXPECT_NE(sim.readAllStderr().find("/nonexistent/ttyRIX"), std::string::npos);
}

} // namespace
