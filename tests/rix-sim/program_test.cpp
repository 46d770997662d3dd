// The rix-sim program as a child process, the way a test harness or a
// technician's shell runs it.
#include "child_process.h"
#include "terminal_side.h"

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
