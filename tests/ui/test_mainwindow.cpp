// What the window tells a screen reader and the mouse pointer about its controls.
#include "support/harness.h"

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
    QAccessibleInterface *sent = QAccessible::queryAccessibleInterface(h.w.lb2);
    QAccessibleInterface *answers = QAccessible::queryAccessibleInterface(h.w.lbrx);
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
        const QPoint inside = h.w.lbl1->rect().center();
        QHelpEvent ask(QEvent::ToolTip, inside, h.w.lbl1->mapToGlobal(inside));
        QApplication::sendEvent(h.w.lbl1, &ask);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };

    const QString longPath = "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
    h.connectWith(longPath, "19200", "S");
    EXPECT_EQ(h.w.lbl1->text(), "(S) " + longPath + ":19200,n,8,1");
    EXPECT_EQ(tipShown(), h.w.lbl1->text());

    h.click(h.w.cmdAUS);
    h.connectWith("COM2", "4800", "3");
    EXPECT_EQ(h.w.lbl1->text(), "(3) COM2:4800,n,8,1");
    EXPECT_EQ(tipShown(), h.w.lbl1->text());
    QToolTip::hideText();
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
