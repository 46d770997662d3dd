// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse semantics of every control, exercised through the QWindow as a user's mouse is.
#include "support/harness.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MouseSemantics, AnyMouseButtonActsLikeTheLeftOne)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        Harness h;
        h.connectWith("COM1", "19200", "S");
        h.click(h.w.cmdF0(), button);
        EXPECT_EQ(h.channel.written(), "$RSRF0") << button;
        EXPECT_TRUE(h.w.cmdschreiben()->isEnabled()) << button;
    }
}

TEST(MouseSemantics, DisabledButtonsDoNothing)
{
    Harness h;
    h.click(h.w.cmdF0());
    h.click(h.w.cmdAUS());
    h.click(h.w.cmdSendentx());
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_TRUE(h.pause.pauses.empty());
    EXPECT_FALSE(h.w.cmdschreiben()->isEnabled());
}

TEST(MouseSemantics, ReleaseRunsEvenWhenThePressDisabledTheButton)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.press(h.w.cmdAUS());
    EXPECT_FALSE(h.w.cmdAUS()->isEnabled());
    EXPECT_TRUE(h.channel.writes.empty());
    h.release(h.w.cmdAUS());
    EXPECT_EQ(h.channel.written(), "$RSQ");
    EXPECT_FALSE(h.channel.isOpen());
}

TEST(MouseSemantics, TheKeyboardNeverTriggersAButton)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.showWindow();
    for (QPushButton *b : h.w.findChildren<QPushButton *>()) {
        QTest::keyClick(b, Qt::Key_Space);
        QTest::keyClick(b, Qt::Key_Return);
        QTest::keyClick(b, Qt::Key_Enter);
    }
    EXPECT_TRUE(h.channel.writes.empty());
    EXPECT_EQ(h.end.ends, 0);
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());   // still connected: nothing disconnected either
}

TEST(MouseSemantics, ADoubleClickCountsAsASecondPress)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.showWindow();
    const QPoint at = h.w.cmdF4()->mapTo(&h.w, h.w.cmdF4()->rect().center());
    QTest::mouseDClick(h.w.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(h.channel.written(), "$RSRF4$RSRF4");
    EXPECT_EQ(h.w.ed1()->text(), "$RSRF4");
}

TEST(MouseSemantics, AChordFiresOnceAndReleasesWhenTheLastButtonGoesUp)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.showWindow();
    QWindow *win = h.w.windowHandle();
    const QPoint at = h.w.cmdTR1()->mapTo(&h.w, h.w.cmdTR1()->rect().center());
    QTest::mousePress(win, Qt::LeftButton, {}, at);
    QTest::mousePress(win, Qt::RightButton, {}, at);   // a second button joins
    EXPECT_EQ(h.channel.written(), "$RSE1");
    QTest::mouseRelease(win, Qt::LeftButton, {}, at);
    EXPECT_EQ(h.channel.written(), "$RSE1");           // a button is still down
    QTest::mouseRelease(win, Qt::RightButton, {}, at);
    EXPECT_EQ(h.channel.written(), "$RSE1$RSEA");
}

TEST(MouseSemantics, AddressBoxRefreshesTheTextsOnPressAndOnRelease)
{
    Harness h;
    h.connectWith("COM1", "19200", "A");
    h.click(h.w.cmdAUS());
    h.w.cmdF3()->setToolTip("stale");
    h.press(h.w.cbAdr());
    EXPECT_EQ(h.w.cmdF3()->toolTip(), "$RARF3");
    h.w.cmdF3()->setToolTip("stale");
    // The release goes to the popup that the press opened.
    QWidget *popup = QApplication::activePopupWidget();
    if (popup)
        QTest::mouseRelease(popup->windowHandle(), Qt::LeftButton, {}, QPoint(1, 1));
    else
        h.release(h.w.cbAdr());
    EXPECT_EQ(h.w.cmdF3()->toolTip(), "$RARF3");
    if (QWidget *still = QApplication::activePopupWidget())
        still->close();
}

TEST(MouseSemantics, ChoosingAnAddressWithoutConnectingChangesNoCommand)
{
    Harness h;
    h.w.cbAdr()->setCurrentIndex(h.w.cbAdr()->findText("3"));
    h.press(h.w.cbAdr());
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    EXPECT_EQ(h.w.cmdF3()->toolTip(), "$RSRF3");
    EXPECT_EQ(h.state.AddressDigit, "S");
}

// A key held while a modal box opens: the box takes the mouse, so the key's release is
// dropped, and the next press after the box is a press of its own.
TEST(MouseSemantics, AKeyHeldWhenAModalBoxOpensIsReleasedByNothing)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.press(h.w.cmdTR1());
    ASSERT_EQ(h.channel.written(), "$RSE1");
    QMessageBox box(QMessageBox::NoIcon, QString(), QStringLiteral("modal"), QMessageBox::Ok, &h.w);
    QTimer::singleShot(0, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
    h.release(h.w.cmdTR1());
    EXPECT_EQ(h.channel.written(), "$RSE1") << "no \"$RSEA\" for a press the box has dropped";
    h.click(h.w.cmdF2());
    EXPECT_EQ(h.channel.written(), "$RSE1$RSRF2") << "the next click is not swallowed";
}
