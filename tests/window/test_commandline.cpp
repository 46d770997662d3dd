// SPDX-License-Identifier: GPL-3.0-or-later
// The command line ed1: what a paste or a drop puts into it is what it shows and what is sent.
#include "support/harness.h"
#include "support/waiting.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {
void pasteKey(QWidget *line)
{
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
}

const QString omegaNotice = QStringLiteral("Nicht übertragbar, weggelassen: Ω");
} // namespace

TEST(CommandLinePaste, LineBreaksAndTabsBecomeOneBlankEachAndLackingCharactersAreLeftOutWithANotice)
{
    Harness h;
    h.showWindow();
    h.w.ed1()->setFocus();
    QWidget *focused = QApplication::focusWidget();

    // A Windows line end, CR LF, is one line break and becomes one blank, as the notice says.
    QGuiApplication::clipboard()->setText("a\r\nb\tc");
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text(), "a b c");
    EXPECT_EQ(h.w.ed1()->displayText(), h.w.ed1()->text());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Durch Leerzeichen ersetzt: 1 Zeilenumbruch, 1 Tabulator");

    // A lone CR, a lone LF and LF CR (two line ends, not one) each count and show as what they are.
    h.w.ed1()->clear();
    QGuiApplication::clipboard()->setText("a\r\nb\rc\nd\n\re\r\n");
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text(), "a b c d  e ");
    EXPECT_EQ(QToolTip::text(), "Durch Leerzeichen ersetzt: 6 Zeilenumbrüche");

    h.w.ed1()->clear();
    QGuiApplication::clipboard()->setText("AΩB");
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text(), "AB");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), omegaNotice);
    // A notice, not a box: nothing modal, the focus stays where it was.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), focused);

    // Pasted into a selection, in the middle: the cursor lands after what was inserted.
    h.w.ed1()->setText("$RSXV");
    h.w.ed1()->setSelection(3, 1);
    QGuiApplication::clipboard()->setText("P\n\U0001F600€");
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text(), "$RSP €V");
    EXPECT_EQ(h.w.ed1()->cursorPosition(), 6);
    EXPECT_EQ(QToolTip::text(), "Nicht übertragbar, weggelassen: \U0001F600\nDurch Leerzeichen ersetzt: 1 Zeilenumbruch");
    QToolTip::hideText();
}

TEST(CommandLinePaste, TheContextMenuAndADropCleanTheTextAlike)
{
    Harness h;
    h.showWindow();

    QGuiApplication::clipboard()->setText("x\ty\u200BΩ");
    const QPoint inside = h.w.ed1()->rect().center();
    QContextMenuEvent menuAsked(QContextMenuEvent::Mouse, inside, h.w.ed1()->mapToGlobal(inside));
    QApplication::sendEvent(h.w.ed1(), &menuAsked);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    // The entry whose shortcut is the paste key; its text depends on the language.
    QAction *paste = nullptr;
    for (QAction *action : menu->actions())
        if (action->text().endsWith(QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText)))
            paste = action;
    ASSERT_NE(paste, nullptr);
    // Clicked as a user would: the menu closes, then the action runs.
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(paste).center());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(h.w.ed1()->text(), "x y");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Nicht übertragbar, weggelassen: U+200B Ω\nDurch Leerzeichen ersetzt: 1 Tabulator");

    h.w.ed1()->clear();
    QMimeData dragged;
    dragged.setText("$RS\r\nV≠");
    // Dragged in from elsewhere: Qt hands the drop to the widget that took the drag's entry.
    QDragEnterEvent enter(inside, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w.ed1(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w.ed1(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(h.w.ed1()->text(), "$RS V");
    EXPECT_EQ(QToolTip::text(), "Nicht übertragbar, weggelassen: ≠\nDurch Leerzeichen ersetzt: 1 Zeilenumbruch");
    QToolTip::hideText();
}

TEST(CommandLinePaste, TextBeyondTheLinesLimitIsCutAtItsEndAndTheNoticeSaysHowMuch)
{
    Harness h;
    h.showWindow();

    // 1,100 characters into an empty line of 1,024.
    QGuiApplication::clipboard()->setText(QString(1100, QLatin1Char('A')));
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text(), QString(1024, QLatin1Char('A')));
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Zu lang: die letzten 76 Zeichen weggelassen (die Zeile fasst höchstens 1024 Zeichen)");
    QToolTip::hideText();

    // Over a selection of 10 in a line of 1,000: 34 fit, the rest is named along with the
    // other changes, in one notice.
    h.w.ed1()->setText(QString(1000, QLatin1Char('x')));
    h.w.ed1()->setSelection(0, 10);
    QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\r\nΩ") + QString(40, QLatin1Char('c')));
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text().size(), 1024);
    EXPECT_TRUE(h.w.ed1()->text().startsWith(QStringLiteral("a b ") + QString(30, QLatin1Char('c')) + "xxx"));
    EXPECT_EQ(QToolTip::text(), "Zu lang: die letzten 10 Zeichen weggelassen (die Zeile fasst höchstens 1024 Zeichen)\n"
                                "Nicht übertragbar, weggelassen: Ω\n"
                                "Durch Leerzeichen ersetzt: 1 Zeilenumbruch, 1 Tabulator");
    QToolTip::hideText();
    ASSERT_TRUE(testsupport::waitUntil([] { return !QToolTip::isVisible(); }));

    // Exactly filling the line is no cut, and clean text says nothing.
    h.w.ed1()->setText(QString(1020, QLatin1Char('x')));
    h.w.ed1()->setCursorPosition(1020);
    QGuiApplication::clipboard()->setText("$RSV");
    pasteKey(h.w.ed1());
    EXPECT_EQ(h.w.ed1()->text().size(), 1024);
    EXPECT_FALSE(QToolTip::isVisible());

    // A drop that does not fit says so too.
    h.w.ed1()->setText(QString(1000, QLatin1Char('x')));
    QMimeData dragged;
    dragged.setText(QString(30, QLatin1Char('d')));
    const QPoint inside = h.w.ed1()->rect().center();
    QDragEnterEvent enter(inside, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w.ed1(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.w.ed1(), &drop);
    EXPECT_EQ(h.w.ed1()->text().size(), 1024);
    EXPECT_EQ(h.w.ed1()->text().count(QLatin1Char('d')), 24);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Zu lang: die letzten 6 Zeichen weggelassen (die Zeile fasst höchstens 1024 Zeichen)");
    QToolTip::hideText();
}

TEST(CommandLinePaste, TheValidatorRefusesControlCharactersAsItRefusesLackingOnes)
{
    Harness h;
    int pos = 0;
    for (const QString &refused : {QStringLiteral("a\nb"), QStringLiteral("a\tb"), QStringLiteral("a\u0085b"),
                                   QStringLiteral("aΩb")}) {
        QString input = refused;
        EXPECT_EQ(h.w.ed1()->validator()->validate(input, pos), QValidator::Invalid);
    }
    QString fine = QStringLiteral("$RS äß€ V");
    EXPECT_EQ(h.w.ed1()->validator()->validate(fine, pos), QValidator::Acceptable);
}
