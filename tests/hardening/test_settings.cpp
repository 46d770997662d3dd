// SPDX-License-Identifier: GPL-3.0-or-later
// Settings a technician can type into the editable combo boxes: a baud rate that is not a
// number or is 0, no port name at all, a port name far longer than any device name.
#include "support/liveprogram.h"
#include "support/pty.h"
#include "support/waiting.h"
#include "unit/line/openfailure.h"
#include "window/connection/connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <termios.h>

using namespace std::chrono_literals;
using testsupport::Pty;

namespace {

speed_t lineSpeed(int fd)
{
    termios tio{};
    EXPECT_EQ(::tcgetattr(fd, &tio), 0);
    return ::cfgetospeed(&tio);
}

// The open failure: the port's own message, then the end, and nothing running afterwards.
void expectOpenFailureFor(LiveProgram &prog, const QString &portName)
{
    ASSERT_EQ(prog.box.texts.size(), 1u);
    EXPECT_EQ(prog.box.texts[0], openFailureMessage(portName));
    const QStringList lines = prog.box.texts[0].split(QLatin1Char('\r'));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Serielle Schnittstelle"));
    EXPECT_EQ(lines[1], portName) << "the second line names the port as typed";
    EXPECT_EQ(prog.end.ends, 1);
    EXPECT_EQ(prog.box.shownWithPollingOn, 0);
    EXPECT_FALSE(prog.channel.isOpen());
    EXPECT_FALSE(prog.conversation.isPolling());
    EXPECT_TRUE(prog.state.ending);
    // The box comes before the end, and nothing is written to any port.
    const auto &events = prog.timeline.events;
    const auto box = std::find_if(events.begin(), events.end(), [](const std::string &e) { return e.rfind("box", 0) == 0; });
    const auto end = std::find(events.begin(), events.end(), "end");
    ASSERT_NE(box, events.end());
    ASSERT_NE(end, events.end());
    EXPECT_LT(box, end);
}

} // namespace

// gtest shows a parameter in the names of failing cases.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << text.left(40).toStdString() << (text.size() > 40 ? "..." : "");
}

class BaudTextThatIsNoRate : public ::testing::TestWithParam<const char *> {};

TEST_P(BaudTextThatIsNoRate, ConnectsWithoutAMessageAndTheLineWorks)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), QString::fromLatin1(GetParam()));

    EXPECT_TRUE(prog.box.texts.empty());
    EXPECT_EQ(prog.end.ends, 0);
    ASSERT_TRUE(prog.connected());
    EXPECT_TRUE(prog.conversation.isPolling());
    EXPECT_EQ(prog.state.BaudText, QString::fromLatin1(GetParam()));
    // Rate 0 would mean "hang up" to the terminal driver; the line keeps a real rate.
    EXPECT_NE(lineSpeed(pty.slaveFd()), speed_t(B0));

    prog.click(prog.w.cmdF0());
    EXPECT_EQ(pty.read(6), "$RSRF0");
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.w.lbrx()->count() == 1; }, 10s));
    EXPECT_EQ(prog.w.lbrx()->lineBytes(0), "F011");
    EXPECT_TRUE(prog.box.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(HostileSettings, BaudTextThatIsNoRate, ::testing::Values("abc", "0"));

TEST(HostileSettings, AnEmptyPortNameEndsWithTheOpenFailureMessageWithAnEmptySecondLine)
{
    LiveProgram prog;
    prog.connectTo(QString(), "19200");
    expectOpenFailureFor(prog, QString());
}

class OverlongPortName : public ::testing::TestWithParam<QString> {};

TEST_P(OverlongPortName, EndsWithTheOpenFailureMessage)
{
    LiveProgram prog;
    const QString name = GetParam();
    ASSERT_GE(name.size(), 300);
    prog.connectTo(name, "19200");
    expectOpenFailureFor(prog, name);
}

INSTANTIATE_TEST_SUITE_P(HostileSettings, OverlongPortName,
                         ::testing::Values(QString(300, QLatin1Char('x')),                           // under /dev/
                                           QLatin1Char('/') + QString(299, QLatin1Char('y')),       // a path
                                           QStringLiteral("COM") + QString(297, QLatin1Char('9')),  // a COM number
                                           QStringLiteral("/dev") + QStringLiteral("/aaaaaaaaaa").repeated(30)));     // a deep path
