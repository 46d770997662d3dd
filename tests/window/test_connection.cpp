// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"
#include "support/userinput.h"
#include "window/connection/connection.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
std::vector<QWidget *> commandButtons(MainWindow &w)
{
    return {w.cmdSendentx(), w.cmdVersion(), w.cmdF0(), w.cmdF1(), w.cmdF2(), w.cmdF3(), w.cmdF4(),
            w.cmdF5(), w.cmdF6(), w.cmdTR1(), w.cmdTR2(), w.cmdFMS(), w.cmd5Ton()};
}

void expectConnectedSet(Harness &h, bool connected)
{
    EXPECT_EQ(h.w.cmdEIN()->isEnabled(), !connected);
    EXPECT_EQ(h.w.cmdAUS()->isEnabled(), connected);
    for (QWidget *b : commandButtons(h.w))
        EXPECT_EQ(b->isEnabled(), connected) << b->objectName().toStdString();
    EXPECT_EQ(h.conversation.isPolling(), connected);
    for (QWidget *c : {(QWidget *)h.w.cbAdr(), (QWidget *)h.w.cbCOM(), (QWidget *)h.w.cbbaud()})
        EXPECT_EQ(c->isEnabled(), !connected) << c->objectName().toStdString();
    EXPECT_EQ(h.channel.isOpen(), connected);
}
} // namespace

TEST(Connection, ConnectTakesTheChoicesOpensThePortAndSwitchesTheWindow)
{
    Harness h;
    h.connectWith("/dev/ttyUSB0", "4800", "7");
    EXPECT_EQ(h.state.PortName, "/dev/ttyUSB0");
    EXPECT_EQ(h.state.BaudText, "4800");
    EXPECT_EQ(h.state.AddressDigit, "7");
    ASSERT_EQ(h.channel.opens.size(), 1u);
    EXPECT_EQ(h.channel.opens[0].portName, "/dev/ttyUSB0");
    EXPECT_EQ(h.channel.opens[0].baudText, "4800");
    EXPECT_EQ(h.w.lbl1()->text(), "(7) /dev/ttyUSB0:4800,n,8,1");
    expectConnectedSet(h, true);
    EXPECT_TRUE(h.channel.writes.empty());   // connecting says nothing to the unit
}

TEST(Connection, DisconnectSendsTheFixedQuitToS)
{
    Harness h;
    h.connectWith("COM1", "19200", "3");
    h.w.cmdschreiben()->setEnabled(true);
    h.click(h.w.cmdAUS());
    EXPECT_EQ(h.channel.written(), "$RSQ");
    EXPECT_EQ(h.pause.pauses, std::vector<int>{275});
    EXPECT_EQ(h.pause.pausesWithPollingOn, 0);
    expectConnectedSet(h, false);
    EXPECT_EQ(h.channel.closes, 1);
    EXPECT_TRUE(h.w.cmdschreiben()->isEnabled());   // neither set touches it
    const std::vector<std::string> order = {"write:$RSQ", "pause:275", "close"};
    EXPECT_TRUE(std::equal(order.begin(), order.end(), h.timeline.events.end() - 3));
}

TEST(Connection, DisconnectPressAloneTouchesNeitherPortNorUnit)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.press(h.w.cmdAUS());
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_TRUE(h.channel.isOpen());
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_TRUE(h.w.cmdEIN()->isEnabled());
    h.release(h.w.cmdAUS());
}

TEST(Connection, SummaryStaysAfterDisconnectAndFollowsAReconnect)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    EXPECT_EQ(h.w.lbl1()->text(), "(S) COM1:19200,n,8,1");
    h.click(h.w.cmdAUS());
    EXPECT_EQ(h.w.lbl1()->text(), "(S) COM1:19200,n,8,1");
    h.connectWith("COM1", "4800", "S");
    EXPECT_EQ(h.w.lbl1()->text(), "(S) COM1:4800,n,8,1");
    ASSERT_EQ(h.channel.opens.size(), 2u);
    EXPECT_EQ(h.channel.opens[1].baudText, "4800");
    expectConnectedSet(h, true);
}

TEST(Connection, APortThatCannotBeOpenedEndsWithItsOwnMessage)
{
    Harness h;
    h.channel.failOpen = true;
    h.connectWith("COM9", "19200", "S");
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], QStringLiteral("Serielle Schnittstelle\rCOM9\rist nicht vorhanden, oder wird von "
                                             "\reiner anderen Anwendung benutzt!\r\rProgramm neu starten!"));
    EXPECT_EQ(h.box.texts[0].split('\r').size(), 6);
    EXPECT_EQ(h.end.ends, 1);
    // cmdEIN/cmdAUS switched before the open; nothing after it ran
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
    EXPECT_TRUE(h.w.cmdAUS()->isEnabled());
    EXPECT_FALSE(h.conversation.isPolling());
    EXPECT_FALSE(h.w.cmdF0()->isEnabled());
    EXPECT_TRUE(h.w.cbCOM()->isEnabled());
    // and no further handler runs (the failure itself asks the channel once for what it
    // still holds, as for any port that goes)
    EXPECT_LE(h.channel.reads, 1);
    const int readsAtTheEnd = h.channel.reads;
    h.click(h.w.cmdAUS());
    h.tick();
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_EQ(h.channel.reads, readsAtTheEnd);
    EXPECT_EQ(h.box.texts.size(), 1u);
}

TEST(Connection, ARightButtonClickConnectsToo)
{
    Harness h;
    h.w.cbCOM()->setEditText("COM2");
    h.click(h.w.cmdEIN(), Qt::RightButton);
    EXPECT_EQ(h.state.PortName, "COM2");
    expectConnectedSet(h, true);
    EXPECT_EQ(h.w.lbl1()->text(), "(S) COM2:19200,n,8,1");
}

namespace {
// The names of the controls whose enabled state changes, in the order they change.
class EnabledChanges : public QObject {
public:
    EnabledChanges() { qApp->installEventFilter(this); }
    ~EnabledChanges() override { qApp->removeEventFilter(this); }
    QStringList names;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange && watched->isWidgetType()
            && !watched->objectName().isEmpty() && !watched->objectName().startsWith(QLatin1String("qt_")))
            names << watched->objectName();
        return false;
    }
};
} // namespace

TEST(Connection, ConnectAndDisconnectSwitchTheControlsInTheirOwnOrders)
{
    Harness h;
    h.showWindow();
    userinput::chooseConnection(h.w, QStringLiteral("COM1"), QStringLiteral("19200"), QStringLiteral("S"));
    EnabledChanges changes;
    h.click(h.w.cmdEIN());
    EXPECT_EQ(changes.names, (QStringList{"cmdEIN", "cmdAUS", "cbAdr", "cbCOM", "cbbaud", "cmdSendentx", "cmdVersion",
                                          "cmdF0", "cmdF1", "cmdF2", "cmdF3", "cmdF4", "cmdF5", "cmdF6", "cmdTR1",
                                          "cmdTR2", "cmdFMS", "cmd5Ton"}));
    changes.names.clear();
    h.press(h.w.cmdAUS());
    EXPECT_EQ(changes.names, (QStringList{"cmdAUS", "cmdEIN", "cmdF0", "cmdF1", "cmdF2", "cmdF3", "cmdF4", "cmdF5",
                                          "cmdF6", "cmdVersion", "cmdTR1", "cmdTR2", "cmdFMS", "cmd5Ton",
                                          "cmdSendentx", "cbAdr", "cbCOM", "cbbaud"}));
}
