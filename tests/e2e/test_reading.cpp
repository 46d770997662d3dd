// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the unit's parameters and version, and writing one, through the window.
#include "liveunit.h"

#include "widgets/lineview.h"

#include <QTest>
#include <cstdio>

using namespace e2e;
using namespace testsupport;
using Lines = std::vector<QByteArray>;
using Commands = std::vector<std::string>;

namespace {
Clock::time_point lastAnswerTime(const rixsim::TrafficLog &log)
{
    const auto sent = eventsOf(log, TrafficEvent::Kind::Sent);
    return sent.empty() ? Clock::time_point{} : sent.back().time;
}
} // namespace

class ReadingFromTheUnit : public LiveUnit {};

TEST_F(ReadingFromTheUnit, F0At19200PutsTheReadCommandOnTheLineAndShowsTheValue)
{
    startUnit();
    connectProgram(QStringLiteral("19200"), QStringLiteral("S"));
    EXPECT_EQ(program.w.lbl1()->text(), QStringLiteral("(S) ") + unitPath() + QStringLiteral(":19200,n,8,1"));
    EXPECT_EQ(program.channel.baudRate(), 19200);

    const auto pressed = Clock::now();
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    const auto shown = Clock::now();

    EXPECT_EQ(received(), Commands{"$RSRF0"});
    EXPECT_EQ(linesOf(*program.w.lbrx()), Lines{"F011"});
    EXPECT_EQ(linesOf(*program.w.lb2()), Lines{"$RSRF0"});
    EXPECT_TRUE(program.w.cmdschreiben()->isEnabled());
    EXPECT_TRUE(program.box.texts.empty());
    std::printf("[figure] F0: press to its line in lbrx %.0f ms; the unit's last answer byte to the line %.0f ms\n",
                millisecondsBetween(pressed, shown), millisecondsBetween(lastAnswerTime(sim->log()), shown));
}

TEST_F(ReadingFromTheUnit, EchoModeAt4800HidesTheReturnedCommand)
{
    startUnit({}, /*echo=*/true);
    connectProgram(QStringLiteral("4800"), QStringLiteral("S"));
    EXPECT_EQ(program.channel.baudRate(), 4800);

    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));

    EXPECT_EQ(received(), Commands{"$RSRF0"});
    EXPECT_EQ(sim->log().joined(TrafficEvent::Kind::Sent), "$RSRF0SRF0F011\r\n");
    EXPECT_EQ(linesOf(*program.w.lbrx()), Lines{"F011"});
    EXPECT_EQ(linesOf(*program.w.lb2()), Lines{"$RSRF0"});
}

TEST_F(ReadingFromTheUnit, VersionThenAParameterWrittenAndReadBack)
{
    startUnit();
    connectProgram();
    LineView *lbrx = program.w.lbrx();

    program.click(program.w.cmdVersion());
    ASSERT_TRUE(listHas(lbrx, 1));
    EXPECT_EQ(lbrx->lineBytes(0), QByteArray("rix-sim 1.0"));

    program.click(program.w.cmdF3());
    ASSERT_TRUE(listHas(lbrx, 2));
    EXPECT_EQ(lbrx->lineBytes(1), QByteArray("0E28"));
    ASSERT_TRUE(program.w.cmdschreiben()->isEnabled());

    program.press(program.w.cmdschreiben());
    EXPECT_EQ(program.w.ed1()->text(), QStringLiteral("$RSPF3"));
    program.release(program.w.cmdschreiben());
    EXPECT_FALSE(program.w.cmdschreiben()->isEnabled());
    QTest::keyClicks(program.w.ed1(), QStringLiteral("0E30"));
    EXPECT_EQ(program.w.ed1()->text(), QStringLiteral("$RSPF30E30"));

    program.click(program.w.cmdSendentx());
    ASSERT_TRUE(unitReceived(3));
    EXPECT_EQ(received().back(), "$RSPF30E30");
    // A typed command's answer is shown whole.
    ASSERT_TRUE(listHas(lbrx, 3));
    EXPECT_EQ(lbrx->lineBytes(2), QByteArray("SPF30E30"));
    EXPECT_EQ(sim->transport().unit().parameter(3), "0E30");

    program.click(program.w.cmdF3());
    ASSERT_TRUE(listHas(lbrx, 4));
    EXPECT_EQ(lbrx->lineBytes(3), QByteArray("0E30"));

    EXPECT_EQ(received(), (Commands{"$RSV", "$RSRF3", "$RSPF30E30", "$RSRF3"}));
    EXPECT_EQ(linesOf(*program.w.lb2()), (Lines{"$RSV", "$RSRF3", "$RSPF30E30", "$RSRF3"}));
}
