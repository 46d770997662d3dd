// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells a screen reader and the mouse pointer about its controls.
#include "support/harness.h"
#include "widgets/screenfit.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

#include <QAccessible>
#include <QHelpEvent>
#include <QToolTip>
#include <gtest/gtest.h>

TEST(WindowAccessibility, TheTwoListsAreNamedForWhatTheyHoldAndKeepTheirDescriptions)
{
    Harness h;
    QAccessibleInterface *sent = QAccessible::queryAccessibleInterface(h.w.lb2());
    QAccessibleInterface *answers = QAccessible::queryAccessibleInterface(h.w.lbrx());
    ASSERT_NE(sent, nullptr);
    ASSERT_NE(answers, nullptr);
    EXPECT_EQ(sent->role(), QAccessible::List);
    EXPECT_EQ(sent->text(QAccessible::Name), "Gesendete Befehle");
    EXPECT_EQ(sent->text(QAccessible::Description), "lb2");
    EXPECT_EQ(answers->text(QAccessible::Name), "Antworten");
    EXPECT_EQ(answers->text(QAccessible::Description), "lbrx");
}

TEST(ConnectionLabel, ItsToolTipIsItsWholeTextAfterEveryChange)
{
    Harness h;
    h.showWindow();
    const auto tipShown = [&h] {
        const QPoint inside = h.w.lbl1()->rect().center();
        QHelpEvent ask(QEvent::ToolTip, inside, h.w.lbl1()->mapToGlobal(inside));
        QApplication::sendEvent(h.w.lbl1(), &ask);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };

    const QString longPath = "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
    h.connectWith(longPath, "19200", "S");
    EXPECT_EQ(h.w.lbl1()->text(), "(S) " + longPath + ":19200,n,8,1");
    EXPECT_EQ(tipShown(), h.w.lbl1()->text());

    h.click(h.w.cmdAUS());
    h.connectWith("COM2", "4800", "3");
    EXPECT_EQ(h.w.lbl1()->text(), "(3) COM2:4800,n,8,1");
    EXPECT_EQ(tipShown(), h.w.lbl1()->text());
    QToolTip::hideText();
}

TEST(WindowAccessibility, EachLampsToolTipNamesItsLineAndPinAndSaysThatAClickSwapsItsLevel)
{
    Harness h;
    const QString swap = QStringLiteral(": rot, solange die Leitung auf dem aktiven Pegel ist.\n"
                                        "Ein Klick tauscht den aktiven Pegel zwischen ein und aus.");
    const struct {
        QLabel *lamp;
        const char *name;
        const char *accessibleName;
        const char *line;
    } lamps[] = {
        {h.w.lblRX1(), "lblRX1", "Lampe DCD", "DCD, Pin 1 (Träger erkannt)"},
        {h.w.lblrx9(), "lblrx9", "Lampe RI", "RI, Pin 9 (Klingelzeichen)"},
        {h.w.lblrx6(), "lblrx6", "Lampe DSR", "DSR, Pin 6 (Gegenstelle bereit)"},
        {h.w.lblrx8(), "lblrx8", "Lampe CTS", "CTS, Pin 8 (Sendebereitschaft)"},
    };
    for (const auto &l : lamps) {
        EXPECT_EQ(l.lamp->toolTip(), QString::fromUtf8(l.line) + swap) << l.name;
        EXPECT_EQ(l.lamp->accessibleName(), QString::fromUtf8(l.accessibleName)) << l.name;
        EXPECT_EQ(l.lamp->accessibleDescription(), QString::fromUtf8(l.name));
    }
}

TEST(GermanQtTexts, QtsOwnBoxesAndFileDialogSpeakGermanAfterStartUp)
{
    Harness h;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("RIX-TERM"), QStringLiteral("Text"));
    box.setDetailedText(QStringLiteral("Grund"));
    QStringList labels;
    for (QAbstractButton *button : box.buttons())
        labels << button->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Details einblenden..."))) << labels.join(QLatin1Char('|')).toStdString();
    // The file dialog's title and its question before it replaces a file.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), "Speichern unter");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
              QStringLiteral("Die Datei %1 existiert bereits.\nSoll sie überschrieben werden?"));
}

TEST(ScreenFit, TheWindowKeepsItsSizeWhereItFitsAndTakesTheFreeAreaWhereNot)
{
    // A desktop: nothing changes.
    EXPECT_EQ(fittedWindowSize({1002, 352}, {1920, 1050}, 15), QSize(1002, 352));
    EXPECT_EQ(fittedWindowSize({1002, 352}, {1002, 352}, 15), QSize(1002, 352));
    // Scale 2 on 1920×1080: too wide only, so it keeps the whole height plus the bar below.
    EXPECT_EQ(fittedWindowSize({1002, 352}, {960, 540}, 15), QSize(960, 367));
    // Too wide, and the bar below no longer fits: both directions scroll.
    EXPECT_EQ(fittedWindowSize({1002, 352}, {910, 360}, 15), QSize(910, 360));
    // Too low only: the bar goes to the right and makes it too wide as well.
    EXPECT_EQ(fittedWindowSize({1002, 352}, {1010, 300}, 15), QSize(1010, 300));
    EXPECT_EQ(fittedWindowSize({1002, 352}, {1200, 300}, 15), QSize(1017, 300));
}

TEST(ScreenFit, ADialogKeepsItsSizeWhereItFitsAndShrinksOnlyWhereItMustNotBelowItsMinimum)
{
    EXPECT_EQ(fittedDialogSize({900, 640}, {500, 400}, {1920, 1050}), QSize(900, 640));
    // Scale 2 on 1600×1200, a frame of 2 and 30: both directions shrink.
    EXPECT_EQ(fittedDialogSize({900, 640}, {500, 400}, {798, 570}), QSize(798, 570));
    EXPECT_EQ(fittedDialogSize({900, 640}, {500, 400}, {1000, 570}), QSize(900, 570));
    // Below the layout's minimum the controls would be cut: the minimum it is.
    EXPECT_EQ(fittedDialogSize({900, 640}, {500, 400}, {400, 300}), QSize(500, 400));
}

TEST(ScreenFit, AWindowIsMovedIntoTheFreeAreaAsLittleAsItMust)
{
    const QRect free(0, 30, 800, 570);
    EXPECT_EQ(placedWithin(QRect(100, 100, 600, 400), free), QPoint(100, 100));
    EXPECT_EQ(placedWithin(QRect(300, 250, 600, 400), free), QPoint(200, 200));
    EXPECT_EQ(placedWithin(QRect(-50, 0, 600, 400), free), QPoint(0, 30));
    // Too large to fit whole: its top left corner stays on the screen.
    EXPECT_EQ(placedWithin(QRect(100, 100, 900, 640), free), QPoint(0, 30));
}

TEST(ScreenFit, TheFreeAreaIsWorkedOutInDevicePixelsFrameIncluded)
{
    // Qt makes a length the nearest whole number of device pixels.
    EXPECT_EQ(logicalLengthWithin(1366, 1.5), 910);   // 911 would be 1367
    EXPECT_EQ(logicalLengthWithin(1365, 1.5), 910);
    EXPECT_EQ(logicalLengthWithin(1001, 1.25), 801);  // 1001.25, made 1001
    EXPECT_EQ(logicalLengthWithin(1920, 2.0), 960);
    EXPECT_EQ(logicalLengthWithin(0, 1.5), 0);
    // 1366×768 at 1.5, which Qt reports as 911×512: one pixel less across.
    EXPECT_EQ(freeInnerArea({911, 512}, {}, 1.5), QSize(910, 512));
    // With a frame of 1, 20, 1 and 4 device pixels (left, top, right, bottom), which Qt
    // reports as 1, 13, 1 and 3 at 1.5 and as 1, 10, 1 and 2 at 2.
    EXPECT_EQ(freeInnerArea({911, 512}, {1, 13, 1, 3}, 1.5), QSize(908, 495));
    EXPECT_EQ(freeInnerArea({960, 540}, {1, 10, 1, 2}, 2.0), QSize(958, 528));
    // Unscaled, exactly the area less the frame.
    EXPECT_EQ(freeInnerArea({1920, 1050}, {1, 20, 1, 4}, 1.0), QSize(1918, 1026));
}

TEST(ScreenFit, OnASmallScreenEveryControlIsReachedByScrollingAndStillWorks)
{
    Harness h;
    h.w.fitInto(QSize(1002, 352), QSize(640, 300));
    h.showWindow();
    EXPECT_LE(h.w.width(), 640);
    EXPECT_LE(h.w.height(), 300);
    const QPoint endAt = h.w.cmdEnde()->mapTo(&h.w, h.w.cmdEnde()->rect().center());
    ASSERT_GT(endAt.x(), h.w.width());   // out of view until scrolled to

    const QList<QWidget *> controls = h.w.layoutArea()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)
                                      + h.w.fr1()->findChildren<QWidget *>() + h.w.fr2()->findChildren<QWidget *>()
                                      + h.w.fr3()->findChildren<QWidget *>() + h.w.fr4()->findChildren<QWidget *>();
    int reached = 0;
    for (QWidget *c : controls) {
        if (c->objectName().isEmpty() || c->objectName().startsWith("qt_"))
            continue;   // a combo box's or list's own inner parts
        h.w.scroller()->ensureWidgetVisible(c, 0, 0);
        const QPoint centre = c->mapTo(&h.w, c->rect().center());
        QWidget *hit = h.w.childAt(centre);
        EXPECT_TRUE(hit == c || c->isAncestorOf(hit)) << c->objectName().toStdString();
        ++reached;
    }
    EXPECT_EQ(reached, 43);   // every control of frm1 but the window itself and the timer

    // Clicked through the QWindow where the user sees it, Beenden still ends the program.
    h.click(h.w.cmdEnde());
    EXPECT_EQ(h.end.ends, 1);
}

TEST(ScreenFit, TheListsFramesLieOnWholeDevicePixelsAtQuarterScales)
{
    // At 1.25, 1.5 and 1.75 a list's one-pixel frame line is only drawn whole when the
    // list starts on a multiple of 4 pixels and its last pixel is one too; otherwise the
    // list's inner area, rounded outwards, covers its right and bottom frame lines.
    Harness h;
    for (QWidget *list : {(QWidget *)h.w.lb2(), (QWidget *)h.w.lbrx()}) {
        const QPoint at = list->mapTo(h.w.layoutArea(), QPoint(0, 0));
        EXPECT_EQ(at.x() % 4, 0) << list->objectName().toStdString();
        EXPECT_EQ(at.y() % 4, 0) << list->objectName().toStdString();
        EXPECT_EQ((list->width() - 1) % 4, 0) << list->objectName().toStdString();
        EXPECT_EQ((list->height() - 1) % 4, 0) << list->objectName().toStdString();
    }
}
