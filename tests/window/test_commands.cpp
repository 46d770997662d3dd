// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"

#include <gtest/gtest.h>

namespace {
struct PressCase {
    const char *button;
    const char *letters;
};
const PressCase presses[] = {
    {"cmdF0", "RF0"}, {"cmdF1", "RF1"}, {"cmdF2", "RF2"}, {"cmdF3", "RF3"}, {"cmdF4", "RF4"}, {"cmdF5", "RF5"},
    {"cmdF6", "RF6"}, {"cmdVersion", "V"}, {"cmdTR1", "E1"}, {"cmdTR2", "E2"}, {"cmd5Ton", "tP60999"},
    {"cmdFMS", "m6876471131"},
};
} // namespace

TEST(CommandButtons, EveryPressSendsItsAddressedCommandExactly)
{
    for (const char *digit : {"S", "A", "7"}) {
        for (const PressCase &c : presses) {
            Harness h;
            h.connectWith("COM1", "19200", digit);
            auto *button = h.w.findChild<QPushButton *>(c.button);
            ASSERT_NE(button, nullptr);
            h.w.ed1()->setText("old text");
            h.press(button);
            const QByteArray expected = QByteArray("$R") + digit + c.letters;
            EXPECT_EQ(h.channel.written(), expected) << c.button << " " << digit;
            EXPECT_EQ(h.w.ed1()->text().toLatin1(), expected);
            EXPECT_EQ(h.state.ButtonCommandFlag, 1);
            EXPECT_EQ(h.pause.pauses, std::vector<int>{165});
            EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
            EXPECT_TRUE(h.conversation.isPolling());
            h.release(button);
        }
    }
}

TEST(CommandButtons, ReleasesSendOnlyForTheKeys)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    for (QPushButton *b : {h.w.cmdF0(), h.w.cmdVersion(), h.w.cmd5Ton(), h.w.cmdFMS()}) {
        h.channel.writes.clear();
        h.click(b);
        EXPECT_EQ(h.channel.writes.size(), 1u) << b->objectName().toStdString();
    }
    EXPECT_EQ(h.w.ed1()->text(), "$RSm6876471131");   // the test call stays in the command line
}

TEST(CommandButtons, ParameterReleaseEnablesWritingEvenWithoutAnAnswer)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled());
    h.press(h.w.cmdF5());
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled());
    h.release(h.w.cmdF5());
    EXPECT_TRUE(h.w.cmdschreiben()->isEnabled());
    h.click(h.w.cmdF0());
    EXPECT_EQ(h.channel.written(), "$RSRF5$RSRF0");
    EXPECT_EQ(h.w.ed1()->text(), "$RSRF0");
}

TEST(CommandButtons, ShortRightClickOnAKeySendsPressThenRelease)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdTR2(), Qt::RightButton);
    ASSERT_EQ(h.channel.writes.size(), 2u);
    EXPECT_EQ(h.channel.writes[0], "$RSE2");
    EXPECT_EQ(h.channel.writes[1], "$RSEA");
    EXPECT_EQ(h.w.ed1()->text(), "$RSEA");
    EXPECT_EQ(h.state.ButtonCommandFlag, 1);

    h.click(h.w.cmdTR1(), Qt::MiddleButton);
    EXPECT_EQ(h.channel.written(), "$RSE2$RSEA$RSE1$RSEA");
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
}

TEST(CommandButtons, AKeysReleaseGoesToTheChosenAddressDigit)
{
    for (const char *digit : {"7", "A"}) {
        Harness h;
        h.connectWith("COM1", "19200", digit);
        h.click(h.w.cmdTR1());
        h.click(h.w.cmdTR2());
        const QByteArray d(digit);
        EXPECT_EQ(h.channel.writes, (std::vector<QByteArray>{"$R" + d + "E1", "$R" + d + "EA", "$R" + d + "E2",
                                                              "$R" + d + "EA"}))
            << digit;
    }
}

TEST(CommandButtons, HoldingAKeySendsNothingMore)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.press(h.w.cmdTR1());
    h.tick();
    h.tick();
    EXPECT_EQ(h.channel.written(), "$RSE1");
    h.release(h.w.cmdTR1());
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
}

TEST(WriteConversion, WholeWriteFlowThroughTheWindow)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF2());
    ASSERT_TRUE(h.w.cmdschreiben()->isEnabled());
    const auto writesBefore = h.channel.writes.size();
    const auto pausesBefore = h.pause.pauses.size();

    h.press(h.w.cmdschreiben());
    EXPECT_EQ(h.w.ed1()->text(), "$RSPF2");
    EXPECT_EQ(h.channel.writes.size(), writesBefore);
    EXPECT_EQ(h.pause.pauses.size(), pausesBefore);
    EXPECT_EQ(h.state.ButtonCommandFlag, 1);

    h.release(h.w.cmdschreiben());
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled());
    EXPECT_TRUE(h.w.ed1()->hasFocus());
    EXPECT_EQ(h.w.ed1()->cursorPosition(), 6);
    EXPECT_FALSE(h.w.ed1()->hasSelectedText());

    QTest::keyClicks(h.w.ed1(), "1234");
    EXPECT_EQ(h.w.ed1()->text(), "$RSPF21234");
    h.click(h.w.cmdSendentx());
    EXPECT_EQ(h.channel.writes.back(), "$RSPF21234");
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
}

TEST(WriteConversion, AMouseHitInTheCommandLineEndsTheWritesTurn)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF1());
    ASSERT_TRUE(h.w.cmdschreiben()->isEnabled());
    const auto writes = h.channel.writes.size();
    h.click(h.w.ed1());
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled());
    EXPECT_EQ(h.channel.writes.size(), writes);
}

TEST(WriteConversion, StillWorksAfterADisconnect)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF3());
    h.click(h.w.cmdAUS());
    ASSERT_TRUE(h.w.cmdschreiben()->isEnabled());
    h.click(h.w.cmdschreiben());
    EXPECT_EQ(h.w.ed1()->text(), "$RSPF3");
    EXPECT_EQ(h.channel.written(), "$RSRF3$RSQ");
}
