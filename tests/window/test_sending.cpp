// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "window/connection/sending.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

TEST(Sending, SendButtonWritesTheLineAsTypedWithFlagZeroAndPause275)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.click(h.w.cmdF0());
    ASSERT_EQ(h.state.ButtonCommandFlag, 1);
    h.w.ed1()->setText(QString::fromUtf8(" $RSPF21234 \u00e4\u20ac "));
    h.click(h.w.cmdSendentx());
    EXPECT_EQ(h.channel.writes.back(), QByteArray(" $RSPF21234 \xE4\x80 "));
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
    EXPECT_EQ(h.pause.pauses.back(), 275);
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    EXPECT_TRUE(h.conversation.isPolling());
    // write, then the pause, nothing in between
    EXPECT_EQ(h.timeline.events.end()[-2], "write: $RSPF21234 \xE4\x80 ");
    EXPECT_EQ(h.timeline.events.end()[-1], "pause:275");
}

TEST(Sending, EnterInTheCommandLineIsAPressOfSendenAndNothingWhileItIsOff)
{
    const struct {
        const char *name;
        Qt::Key key;
        bool connected;
        bool keyHeld;
        std::vector<QByteArray> writes;
    } rows[] = {
        {"Return", Qt::Key_Return, true, false, {" $RSV\xE4"}},
        {"Enter on the keypad", Qt::Key_Enter, true, false, {" $RSV\xE4"}},
        {"not connected", Qt::Key_Return, false, false, {}},
        {"while TR1 is held", Qt::Key_Return, true, true, {"$RSE1"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Harness h;
        h.showWindow();
        if (row.connected)
            h.connectWith("COM1", "19200", "S");
        if (row.keyHeld)
            h.press(h.w.cmdTR1());
        h.state.ButtonCommandFlag = 1;
        const std::size_t pausesBefore = h.pause.pauses.size();
        h.w.ed1()->setText(QString::fromUtf8(" $RSV\u00e4"));
        h.w.ed1()->setFocus();
        QTest::keyClick(h.w.windowHandle(), row.key, row.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(h.channel.writes, row.writes);
        const bool sent = row.connected && !row.keyHeld;
        EXPECT_EQ(std::vector<int>(h.pause.pauses.begin() + std::ptrdiff_t(pausesBefore), h.pause.pauses.end()),
                  sent ? std::vector<int>{275} : std::vector<int>{});
        EXPECT_EQ(h.state.ButtonCommandFlag, sent ? 0 : 1);
        if (sent) {
            EXPECT_EQ(h.w.ed1()->sentCommands().back(), QString::fromUtf8(" $RSV\u00e4"));
            EXPECT_TRUE(h.conversation.isPolling());
        }
        if (row.keyHeld)
            h.release(h.w.cmdTR1());
    }
}

TEST(Sending, AnEmptyCommandLineWritesNothingButStillPausesAndPolls)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.state.ButtonCommandFlag = 1;
    h.w.ed1()->clear();
    h.click(h.w.cmdSendentx());
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_EQ(h.pause.pauses, std::vector<int>{275});
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
    EXPECT_TRUE(h.conversation.isPolling());

    SendCommandLine(h.p);
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_EQ(h.pause.pauses.back(), 165);
    EXPECT_TRUE(h.conversation.isPolling());
}

TEST(Sending, SendCommandLineLeavesTheFlagAndTurnsPollingOnAfterThePause)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.state.ButtonCommandFlag = 0;
    h.w.ed1()->setText("$RSV");
    SendCommandLine(h.p);
    EXPECT_EQ(h.channel.written(), "$RSV");
    EXPECT_EQ(h.state.ButtonCommandFlag, 0);
    EXPECT_EQ(h.pause.pauses, std::vector<int>{165});
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    EXPECT_TRUE(h.conversation.isPolling());
}

TEST(Sending, CommandLineAcceptsOnlyWhatWindows1252CanCarry)
{
    Harness h;
    h.showWindow();
    h.w.ed1()->setFocus();
    // Typed one character at a time, as a keyboard with these keys would.
    for (QChar c : QString::fromUtf8("a\u00e4\u2192\u20acb")) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(h.w.ed1(), &key);
    }
    EXPECT_EQ(h.w.ed1()->text(), QString::fromUtf8("a\u00e4\u20acb"));

    h.w.ed1()->clear();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("$RS\u2192V"));
    h.w.ed1()->paste();
    EXPECT_EQ(h.w.ed1()->text(), "");   // refused whole, not turned into "?"
    QGuiApplication::clipboard()->setText(QString::fromUtf8("$RS\u00dfV"));
    h.w.ed1()->paste();
    EXPECT_EQ(h.w.ed1()->text(), QString::fromUtf8("$RS\u00dfV"));
}

TEST(Sending, EveryTextThatWentOutIsOnUpInTheCommandLineAndWhatWasNotSentIsNot)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->setText("$RSV");
    h.click(h.w.cmdSendentx());
    h.click(h.w.cmdF0());
    // Cleared and sent: nothing went out, nothing is kept.
    h.w.ed1()->clear();
    h.click(h.w.cmdSendentx());
    h.w.ed1()->setText("$RSRF");
    h.w.ed1()->setFocus();
    EXPECT_EQ(h.w.ed1()->sentCommands(), QStringList({"$RSV", "$RSRF0"}));
    QTest::keyClick(h.w.ed1(), Qt::Key_Up);
    EXPECT_EQ(h.w.ed1()->text(), "$RSRF0");
    QTest::keyClick(h.w.ed1(), Qt::Key_Up);
    EXPECT_EQ(h.w.ed1()->text(), "$RSV");
    // What the line holds is what goes on the line.
    h.click(h.w.cmdSendentx());
    EXPECT_EQ(h.channel.writes.back(), QByteArray("$RSV"));
    EXPECT_EQ(h.w.ed1()->sentCommands(), QStringList({"$RSV", "$RSRF0", "$RSV"}));
}
