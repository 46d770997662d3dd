// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/linelist.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/accessiblelines.h"
#include "widgets/lineviewaccessible.h"

#include "support/localzone.h"
#include "unit/cp1252.h"
#include "unit/files/recordformat.h"
#include "widgets/mainwindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>

namespace {

std::unique_ptr<LineList> shownView(int width = 320, int height = 200)
{
    auto view = std::make_unique<LineList>();
    view->resize(width, height);
    view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    return view;
}

QByteArray numbered(int i)
{
    return QByteArray("Zeile ") + QByteArray::number(i);
}

void addNumbered(LineView &view, int n)
{
    for (int i = 0; i < n; ++i)
        view.addLine(numbered(i));
}

QPoint centreOf(const LineView &view, int index)
{
    return view.lineRect(index).center();
}

QString joinedLines(const LineView &view, int first, int last)
{
    QStringList lines;
    for (int i = first; i <= last; ++i)
        lines << view.lineText(i);
    return lines.join(QLatin1Char('\n'));
}

// Opens the context menu over a line as the user does (the right button through the window, so
// the platform brings the menu), notes its entries and triggers the one named `choose`.
QStringList useContextMenu(LineView &view, int line, const QString &choose)
{
    QStringList entries;
    bool menuSeen = false;
    int attempts = 0;
    std::function<void()> useMenu = [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu) {
            if (++attempts < 200)
                QTimer::singleShot(10, useMenu);
            return;
        }
        menuSeen = true;
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            entries << action->text();
            if (action->text() == choose)
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    };
    QTimer::singleShot(0, useMenu);

    const QPoint at = view.viewport()->mapTo(&view, centreOf(view, line));
    QTest::mouseClick(view.windowHandle(), Qt::RightButton, {}, at);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menuSeen || attempts >= 200; }, 5000));
    EXPECT_TRUE(menuSeen);
    return entries;
}

// A moment of 2026-12-07 in local time, milliseconds since the epoch.
qint64 localTime(int hour, int minute, int second, int ms)
{
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute, second, ms)).toMSecsSinceEpoch();
}

} // namespace

TEST(LineView, NewestLineIsCurrentAndVisibleAfterEveryAppend)
{
    auto view = shownView();
    const int rows = view->viewport()->height() / view->rowHeight();
    ASSERT_GT(rows, 2);
    EXPECT_EQ(view->currentLine(), -1);

    for (int i = 0; i < 300; ++i) {
        view->addLine(numbered(i));
        view->setCurrentLine(view->count() - 1);
        ASSERT_EQ(view->count(), i + 1);
        ASSERT_EQ(view->currentLine(), i);
        ASSERT_EQ(view->verticalScrollBar()->value(), std::max(0, i + 1 - rows)) << "after line " << i;
        const QRect row = view->lineRect(i);
        ASSERT_TRUE(view->viewport()->rect().contains(row)) << "line " << i << " is outside the viewport";
        ASSERT_EQ(view->lineAt(row.center()), i);
    }
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 300 - rows);

    // Going back up scrolls the other way; an index out of range changes nothing.
    view->setCurrentLine(0);
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 0"));
    view->setCurrentLine(150);
    EXPECT_TRUE(view->viewport()->rect().contains(view->lineRect(150)));
    view->setCurrentLine(300);
    view->setCurrentLine(-1);
    EXPECT_EQ(view->currentLine(), 150);
}

TEST(LineView, StoresEveryByteAndShowsControlsAsSymbols)
{
    LineView view;
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    view.addLine(all);
    view.addLine(QByteArray());
    view.addLine(QByteArray("A\0B\r\n", 5));
    ASSERT_EQ(view.count(), 3);

    EXPECT_EQ(view.lineBytes(0), all);
    EXPECT_EQ(view.lineBytes(1), QByteArray());
    EXPECT_EQ(view.lineBytes(2), QByteArray("A\0B\r\n", 5));
    EXPECT_EQ(view.lineBytes(3), QByteArray());
    EXPECT_EQ(view.longestLineLength(), 256);

    const QString shown = view.lineText(0);
    ASSERT_EQ(shown.size(), 256);
    EXPECT_EQ(shown, cp1252::decodeForDisplay(all));
    EXPECT_EQ(shown.at(0x00), QChar(0x2400));
    EXPECT_EQ(shown.at(0x0D), QChar(0x240D));
    EXPECT_EQ(shown.at(0x1B), QChar(0x241B));
    EXPECT_EQ(shown.at(0x7F), QChar(0x2421));
    EXPECT_EQ(shown.at(0x41), QLatin1Char('A'));
    EXPECT_EQ(shown.at(0x80), QChar(0x20AC));
    EXPECT_EQ(shown.at(0xE4), QChar(0x00E4));
    for (QChar c : shown)
        EXPECT_FALSE(c.unicode() < 0x20 || c.unicode() == 0x7F) << "invisible control " << c.unicode();

    EXPECT_EQ(view.lineText(2), QString::fromUtf8("A\u2400B\u240D\u240A"));
    EXPECT_EQ(view.lineText(1), QString());
}

TEST(LineView, MouseClicksSelectAndShiftClickExtendsFromTheAnchor)
{
    auto view = shownView();
    addNumbered(*view, 8);
    QWidget *viewport = view->viewport();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOf(*view, 2));
    EXPECT_EQ(view->currentLine(), 2);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 2"));

    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centreOf(*view, 5));
    EXPECT_EQ(view->currentLine(), 5);
    EXPECT_EQ(view->selectionFirst(), 2);
    EXPECT_EQ(view->selectionLast(), 5);
    EXPECT_EQ(view->selectedText(), joinedLines(*view, 2, 5));

    // The anchor stays where the plain click was.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, centreOf(*view, 0));
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 0\nZeile 1\nZeile 2"));
    EXPECT_TRUE(view->isSelected(1));
    EXPECT_FALSE(view->isSelected(3));

    QTest::mouseClick(viewport, Qt::LeftButton, {}, centreOf(*view, 7));
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 7"));
    EXPECT_FALSE(view->isSelected(0));

    // Below the last line there is nothing to select.
    const QPoint below(10, view->lineRect(7).bottom() + 2 * view->rowHeight());
    ASSERT_LT(below.y(), viewport->height());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, below);
    EXPECT_EQ(view->currentLine(), 7);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 7"));
}

TEST(LineView, KeysMoveTheCurrentLineAndShiftExtends)
{
    auto view = shownView();
    addNumbered(*view, 50);
    view->setFocus();
    const int page = view->fullyVisibleRows();

    QTest::keyClick(view.get(), Qt::Key_Down); // no current line yet: starts at the top
    EXPECT_EQ(view->currentLine(), 1);
    QTest::keyClick(view.get(), Qt::Key_Up);
    QTest::keyClick(view.get(), Qt::Key_Up);
    EXPECT_EQ(view->currentLine(), 0);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Zeile 0\nZeile 1\nZeile 2"));
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(view->currentLine(), 2 + page);
    EXPECT_EQ(view->selectedText(), view->lineText(2 + page));
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(view->currentLine(), 49);
    EXPECT_TRUE(view->viewport()->rect().contains(view->lineRect(49)));
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    EXPECT_EQ(view->currentLine(), 49 - page);
    QTest::keyClick(view.get(), Qt::Key_Home);
    EXPECT_EQ(view->currentLine(), 0);
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
}

TEST(LineView, CtrlASelectsAllAndCtrlCCopiesTheShownText)
{
    auto view = shownView();
    view->addLine("SRF0F011");
    view->addLine(QByteArray("a\rb\x1b", 4));
    view->addLine("\xE4\x80");
    view->setFocus();
    QClipboard *clipboard = QGuiApplication::clipboard();

    // Nothing selected: the clipboard keeps what it had.
    clipboard->setText(QStringLiteral("vorher"));
    EXPECT_FALSE(view->hasSelection());
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("vorher"));

    QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->selectionFirst(), 0);
    EXPECT_EQ(view->selectionLast(), 2);
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QString::fromUtf8("SRF0F011\na\u240Db\u241B\n\u00E4\u20AC"));

    view->setCurrentLine(0);
    view->copySelection();
    EXPECT_EQ(clipboard->text(), QStringLiteral("SRF0F011"));
}

TEST(LineView, ABareViewOffersNoFileEntriesAndAsksForTheInspectorBySignal)
{
    auto view = std::make_unique<LineView>();
    view->resize(320, 200);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    addNumbered(*view, 3);
    QList<int> asked;
    QObject::connect(view.get(), &LineView::lineInspectionAsked, [&](int index) { asked << index; });
    const QStringList entries = useContextMenu(*view, 1, QStringLiteral("Zeile untersuchen …"));
    EXPECT_EQ(entries, QStringList({QStringLiteral("Kopieren"), QStringLiteral("Alles auswählen"), QString(),
                                    QStringLiteral("Suchen …"), QStringLiteral("Zeile untersuchen …"), QString(),
                                    QStringLiteral("Parametersatz …"), QString(), QStringLiteral("Hilfe")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 5000));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centreOf(*view, 2));
    EXPECT_EQ(asked, QList<int>({1, 2}));
}

TEST(LineList, SaveIsOfferedOnceThereIsALine)
{
    LineList list;
    EXPECT_FALSE(list.fileMenu()->saveAction()->isEnabled());
    list.addLine("E1");
    EXPECT_TRUE(list.fileMenu()->saveAction()->isEnabled());
}

TEST(LineView, ClearingForgetsEveryLineTheSelectionAndWhatAScreenReaderWasGiven)
{
    installLineViewAccessibility();
    auto view = shownView(120, 100);
    addNumbered(*view, 300);
    view->addLine(QByteArray(400, 'x'));
    view->setCurrentLine(250);
    auto *list = QAccessible::queryAccessibleInterface(view.get());
    QAccessibleInterface *item = list->child(250);
    ASSERT_NE(item, nullptr);
    int cleared = 0;
    QObject::connect(view.get(), &LineView::cleared, [&] { ++cleared; });

    view->clear();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(view->count(), 0);
    EXPECT_EQ(view->currentLine(), -1);
    EXPECT_FALSE(view->hasSelection());
    EXPECT_EQ(view->longestLineLength(), 0);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->lineAt(QPoint(5, 5)), -1);
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_FALSE(item->isValid());
    EXPECT_EQ(list->indexOfChild(item), -1);

    view->addLine("SV1.0");
    EXPECT_EQ(view->count(), 1);
    EXPECT_EQ(view->lineBytes(0), QByteArray("SV1.0"));
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), QStringLiteral("SV1.0"));
}

TEST(LineList, ListenLeerenAsksFirstAndSaveIsOfferedAgainOnlyWithALine)
{
    auto list = shownView();
    addNumbered(*list, 3);
    QStringList questions;
    bool yes = false;
    list->setClearAsker([&](QWidget *, const QString &, const QString &question) {
        questions << question;
        return yes;
    });
    int asked = 0;
    QObject::connect(list.get(), &LineList::clearAsked, [&] { ++asked; });
    const QStringList entries = useContextMenu(*list, 1, QStringLiteral("Listen leeren"));
    EXPECT_EQ(entries.mid(0, 4), QStringList({QStringLiteral("Kopieren"), QStringLiteral("Alles auswählen"),
                                              QStringLiteral("Speichern unter …"), QStringLiteral("Listen leeren")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return questions.size() == 1; }, 5000));
    EXPECT_EQ(asked, 0) << "„Nein“ clears nothing";
    yes = true;
    list->askToClear();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list->count(), 3) << "the list only asks; the window clears both";
    list->clear();
    EXPECT_FALSE(list->fileMenu()->saveAction()->isEnabled());
    list->addLine("E1");
    EXPECT_TRUE(list->fileMenu()->saveAction()->isEnabled());
}

TEST(LineView, ContextMenuOffersTheParameterSetWhichTheWindowOpens)
{
    auto view = shownView();
    int asked = 0;
    QObject::connect(view.get(), &LineView::parameterSetAsked, [&] { ++asked; });
    addNumbered(*view, 2);
    const QStringList entries = useContextMenu(*view, 0, QStringLiteral("Parametersatz …"));
    EXPECT_EQ(entries.mid(entries.size() - 3), (QStringList{QStringLiteral("Parametersatz …"), QString(), QStringLiteral("Hilfe")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 5000));
    EXPECT_EQ(view->parameterSetAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
}

TEST(LineView, ContextMenuEndsWithHilfeWhichAsksForTheHandbuchAfterTheMenuIsClosed)
{
    auto view = shownView();
    int asked = 0;
    QObject::connect(view.get(), &LineView::helpAsked, [&] {
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        ++asked;
    });
    addNumbered(*view, 1);
    const QStringList entries = useContextMenu(*view, 0, QStringLiteral("Hilfe"));
    EXPECT_EQ(entries.last(), QStringLiteral("Hilfe"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 5000));
    EXPECT_EQ(view->helpAction()->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST(LineView, ContextMenuOffersKopierenWhichCopiesTheLineUnderTheMouse)
{
    auto view = shownView();
    addNumbered(*view, 6);
    view->setCurrentLine(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("vorher"));

    const QStringList entries = useContextMenu(*view, 4, QStringLiteral("Kopieren"));

    EXPECT_EQ(entries, (QStringList{QStringLiteral("Kopieren"), QStringLiteral("Alles auswählen"),
                                    QStringLiteral("Speichern unter …"), QStringLiteral("Listen leeren"), QString(),
                                    QStringLiteral("Suchen …"), QStringLiteral("Zeile untersuchen …"), QString(),
                                    QStringLiteral("Mitschnitt in Datei …"), QStringLiteral("Mitschnitt öffnen …"),
                                    QString(), QStringLiteral("Parametersatz …"), QString(), QStringLiteral("Hilfe")}));
    EXPECT_EQ(view->currentLine(), 4);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Zeile 4"));
    ASSERT_NE(view->copyAction(), nullptr);
    EXPECT_EQ(view->copyAction()->text(), QStringLiteral("Kopieren"));
}

TEST(LineView, AccessibleInterfaceIsAListOfItemsNamedByTheirText)
{
    installLineViewAccessibility();
    auto view = shownView();
    addNumbered(*view, 5);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(list, nullptr);
    ASSERT_NE(dynamic_cast<AccessibleLines *>(list), nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QString());
    EXPECT_EQ(list->childCount(), 5);
    for (int i = 0; i < 5; ++i) {
        QAccessibleInterface *item = list->child(i);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), QStringLiteral("Zeile %1").arg(i));
        EXPECT_EQ(item->parent(), list);
        EXPECT_EQ(list->indexOfChild(item), i);
        EXPECT_EQ(list->child(i), item) << "the same item is handed out again";
    }
    EXPECT_EQ(list->child(5), nullptr);
    EXPECT_EQ(list->child(-1), nullptr);

    view->addLine("SRF1 0A00");
    view->addLine(QByteArray("E1\r", 3));
    view->setCurrentLine(6);
    EXPECT_EQ(list->childCount(), 7);
    EXPECT_EQ(list->child(6)->text(QAccessible::Name), QString::fromUtf8("E1\u240D"));
    EXPECT_EQ(list->child(5)->text(QAccessible::Name), QStringLiteral("SRF1 0A00"));
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), QStringLiteral("Zeile 2"));
    EXPECT_TRUE(list->child(6)->state().selected);
    EXPECT_FALSE(list->child(2)->state().selected);

    // The item under a point on the screen is the line painted there.
    const QRect row = list->child(3)->rect();
    ASSERT_FALSE(row.isEmpty());
    QAccessibleInterface *hit = list->childAt(row.center().x(), row.center().y());
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->text(QAccessible::Name), QStringLiteral("Zeile 3"));
}

TEST(LineView, AccessibleItemsAreMadeOnDemandAndKeptBounded)
{
    installLineViewAccessibility();
    LineView view;
    const int lines = AccessibleLines::maxCachedItems + 500;
    addNumbered(view, lines);
    auto *list = dynamic_cast<AccessibleLines *>(QAccessible::queryAccessibleInterface(&view));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->cachedItemCount(), 0);
    EXPECT_EQ(list->childCount(), lines);

    for (int i = 0; i < lines; ++i)
        ASSERT_EQ(list->child(i)->text(QAccessible::Name), QStringLiteral("Zeile %1").arg(i));
    EXPECT_EQ(list->cachedItemCount(), 1024);

    // A dropped item is simply made again.
    QAccessibleInterface *first = list->child(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("Zeile 0"));
    EXPECT_EQ(list->indexOfChild(first), 0);
    EXPECT_LE(list->cachedItemCount(), 1024);
}

TEST(LineView, PaintsTheCurrentLineHighlightedAndOthersPlain)
{
    auto view = shownView();
    addNumbered(*view, 4);
    view->setCurrentLine(1);

    const QImage image = view->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const auto pixelAt = [&](int x, int y) { return image.pixelColor(int(x * ratio), int(y * ratio)); };
    const QPalette palette = view->palette();
    const int x = view->viewport()->width() - 3; // right of the text
    // Whether the offscreen window counts as active is up to the platform.
    const QColor current = pixelAt(x, view->lineRect(1).center().y());
    EXPECT_TRUE(current == palette.color(QPalette::Active, QPalette::Highlight)
                || current == palette.color(QPalette::Inactive, QPalette::Highlight))
        << current.name().toStdString();
    EXPECT_NE(current, palette.color(QPalette::Base));
    EXPECT_EQ(pixelAt(x, view->lineRect(0).center().y()), palette.color(QPalette::Base));
    EXPECT_EQ(pixelAt(x, view->lineRect(2).center().y()), palette.color(QPalette::Base));
}

TEST(LineView, AFrameShowsTheKeyboardFocusOnlyWhileTheListHasIt)
{
    auto view = shownView();
    addNumbered(*view, 3);
    view->setCurrentLine(1);
    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.activateWindow();
    other.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.hasFocus(); }, 5000));

    const QPalette palette = view->palette();
    const auto edges = [&] {
        const QImage image = view->viewport()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        // Left and right of an unselected row, and the bottom edge below the last line.
        const int y = view->lineRect(0).center().y();
        QList<QColor> colours;
        for (const QPoint p : {QPoint(0, y), QPoint(w - 1, y), QPoint(w / 2, h - 1)})
            colours << image.pixelColor(int(p.x() * ratio), int(p.y() * ratio));
        return colours;
    };
    const QColor base = palette.color(QPalette::Base);
    EXPECT_EQ(edges(), (QList<QColor>{base, base, base}));

    view->activateWindow();
    view->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }, 5000));
    for (const QColor &edge : edges())
        EXPECT_TRUE(edge == palette.color(QPalette::Active, QPalette::Highlight)
                    || edge == palette.color(QPalette::Inactive, QPalette::Highlight))
            << edge.name().toStdString();
    // The frame is a thin edge, not a filled row.
    const QImage focused = view->viewport()->grab().toImage();
    const qreal ratio = focused.devicePixelRatio();
    EXPECT_EQ(focused.pixelColor(int((view->viewport()->width() - 4) * ratio), int(view->lineRect(0).center().y() * ratio)),
              base);
}

TEST(LineView, HorizontalRangeFollowsTheLongestLine)
{
    auto view = shownView();
    view->addLine("kurz");
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    view->addLine(QByteArray(65536, 'x'));
    const int longRange = view->horizontalScrollBar()->maximum();
    EXPECT_GT(longRange, 65536 * view->fontMetrics().horizontalAdvance(QLatin1Char('M')) - 2 * view->width());
    view->addLine("wieder kurz");
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), longRange);
    EXPECT_EQ(view->longestLineLength(), 65536);

    // Scrolled to the end of the long line, painting cuts it to the visible columns: the
    // long line is drawn from the left edge of the viewport to its own end at the right,
    // and the short lines, scrolled out of view, leave their rows empty.
    view->setCurrentLine(0);
    view->horizontalScrollBar()->setValue(longRange);
    // Without the focus frame, whose edges would count as ink.
    view->clearFocus();
    const QImage image = view->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QColor base = view->palette().color(QPalette::Base);
    const int charWidth = view->fontMetrics().horizontalAdvance(QLatin1Char('x'));
    const auto inkIn = [&](int row, int fromX, int toX) {
        const QRect rect = view->lineRect(row);
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = std::max(0, fromX); x < std::min(toX, view->viewport()->width()); ++x)
                if (image.pixelColor(int(x * ratio), int(y * ratio)) != base)
                    return true;
        return false;
    };
    const int width = view->viewport()->width();
    EXPECT_TRUE(inkIn(1, 0, 2 * charWidth)) << "the columns at the left edge are missing";
    EXPECT_TRUE(inkIn(1, width - 4 * charWidth, width)) << "the line's last columns are missing";
    EXPECT_FALSE(inkIn(2, 0, width)) << "a short line scrolled out of view is still painted";
}

// An empty list sets its scroll steps with its first line (measuring its font waits until a
// row needs it): a list resized while empty, or emptied, still pages and steps by its rows and
// columns once lines come, by either way of adding them.
TEST(LineView, TheFirstLineBringsTheScrollStepsOfTheRowsAndColumns)
{
    auto view = shownView(320, 200);
    view->setShowsTimes(true);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    const auto expectSteps = [&](const char *when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(view->verticalScrollBar()->pageStep(), view->viewport()->height() / view->rowHeight());
        EXPECT_EQ(view->horizontalScrollBar()->singleStep(), view->fontMetrics().horizontalAdvance(QLatin1Char('M')));
    };
    view->addLine("");
    expectSteps("first line added");

    view->clear();
    view->resize(320, 420);
    QCoreApplication::processEvents();
    const int rows = view->viewport()->height() / view->rowHeight();
    ASSERT_NE(rows, 200 / view->rowHeight());
    for (int i = 0; i < 3 * rows; ++i)
        view->appendLine("x", 1, 0);
    view->finishAdding();
    expectSteps("appended after clearing and resizing");
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 3 * rows - rows);
}

TEST(LineView, MarkersAreLinesPaintedApartAndSaidAsOnesAndTheTimeColumnWidensTheRows)
{
    installLineViewAccessibility();
    auto view = shownView();
    view->addLine("F011", 1000);
    view->addMarker("Verbunden: (S) COM1:19200,n,8,1", 2000);
    view->addLine("F011", 3000);
    EXPECT_EQ(view->count(), 3);
    EXPECT_EQ(view->markerCount(), 1);
    EXPECT_FALSE(view->isMarker(0));
    EXPECT_TRUE(view->isMarker(1));
    EXPECT_FALSE(view->isMarker(2));
    EXPECT_EQ(view->lineTime(1), 2000);

    // The marker's row in the colours of a note, the unit's lines in the list's.
    view->clearFocus();
    const QImage image = view->viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const int right = int((view->viewport()->width() - 4) * ratio);
    EXPECT_EQ(image.pixelColor(right, int(view->lineRect(0).center().y() * ratio)), view->palette().color(QPalette::Base));
    EXPECT_EQ(image.pixelColor(right, int(view->lineRect(1).center().y() * ratio)),
              view->palette().color(QPalette::ToolTipBase));

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->child(1) && list->child(2));
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), QStringLiteral("Vermerk: Verbunden: (S) COM1:19200,n,8,1"));
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), QStringLiteral("F011"));

    // Twelve characters of time and a blank in front of every row.
    view->addLine(QByteArray(200, 'x'));
    const int without = view->horizontalScrollBar()->maximum();
    view->setShowsTimes(true);
    EXPECT_EQ(view->horizontalScrollBar()->maximum() - without, 13 * view->fontMetrics().horizontalAdvance(QLatin1Char('M')));

    view->clear();
    EXPECT_EQ(view->markerCount(), 0);
    view->addLine("neu");
    EXPECT_FALSE(view->isMarker(0)) << "a cleared list forgets its markers";
}

TEST(LineView, TheMenuLeavesOutWhatIsHidden)
{
    auto view = std::make_unique<LineView>();
    const auto texts = [&] {
        QStringList entries;
        for (const QAction *action : view->menuEntries())
            entries << (action ? action->text() : QStringLiteral("—"));
        return entries;
    };
    EXPECT_EQ(texts(), (QStringList{"Kopieren", "Alles auswählen", "—", "Suchen …", "Zeile untersuchen …", "—",
                                    "Parametersatz …", "—", "Hilfe"}));
    view->parameterSetAction()->setVisible(false);
    EXPECT_EQ(texts(), (QStringList{"Kopieren", "Alles auswählen", "—", "Suchen …", "Zeile untersuchen …", "—",
                                    "Hilfe"}));
}

TEST(LineView, HundredThousandAppendsKeepTheNewestLineCurrent)
{
    auto view = shownView();
    constexpr int lineCount = 100000;
    for (int i = 0; i < lineCount; ++i) {
        view->addLine(numbered(i));
        view->setCurrentLine(view->count() - 1);
        if (i % 10000 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(view->count(), lineCount);
    EXPECT_EQ(view->currentLine(), lineCount - 1);
    EXPECT_EQ(view->lineBytes(0), QByteArray("Zeile 0"));
    EXPECT_EQ(view->lineBytes(54321), QByteArray("Zeile 54321"));
    EXPECT_EQ(view->lineBytes(lineCount - 1), numbered(lineCount - 1));
    EXPECT_EQ(view->verticalScrollBar()->maximum(), lineCount - view->fullyVisibleRows());
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(view->viewport()->rect().contains(view->lineRect(lineCount - 1)));
}

TEST(LineView, ContextMenuAllesAuswaehlenSelectsEveryLine)
{
    auto view = shownView();
    addNumbered(*view, 6);

    const QStringList entries = useContextMenu(*view, 2, QStringLiteral("Alles auswählen"));

    EXPECT_EQ(entries.indexOf(QStringLiteral("Alles auswählen")), 1);
    EXPECT_EQ(view->selectionFirst(), 0);
    EXPECT_EQ(view->selectionLast(), 5);
    EXPECT_EQ(view->selectedText(), joinedLines(*view, 0, 5));
}

TEST(LineView, EveryLineKeepsTheTimeItWasAdded)
{
    LineView view;
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    view.addLine("SRF0F011");
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    view.addLine("E1", localTime(9, 8, 7, 6));

    EXPECT_GE(view.lineTime(0), before);
    EXPECT_LE(view.lineTime(0), after);
    EXPECT_EQ(view.lineTime(1), localTime(9, 8, 7, 6));
    EXPECT_EQ(view.lineTime(2), 0);
    EXPECT_EQ(view.lineTime(-1), 0);
}

TEST(LineView, SpeichernUnterWritesEveryLineWithItsTimeAsUtf8AndItsBytesAsARecordingDoes)
{
    const LocalZone zone("Europe/Berlin");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("liste.txt"));

    auto view = shownView();
    view->fileMenu()->setSaveNameSuffix(QStringLiteral("antworten"));
    view->addLine(QByteArray("A\r\x01\x81\\", 5));
    view->addLine("\xE4");
    view->addLine(QByteArray());
    view->addLine("SRF0F011", localTime(23, 59, 59, 999));
    view->addLine("tP12345", localTime(0, 0, 0, 7));
    // The last minute of winter time and the first of summer time.
    const QDateTime switchToSummer(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
    view->addLine("V", switchToSummer.toMSecsSinceEpoch() - 1);
    view->addLine("Q", switchToSummer.toMSecsSinceEpoch());
    QString suggested;
    QStringList warnings;
    view->fileMenu()->setSaveFileAsker([&](QWidget *, const QString &, const QString &suggestedPath, const QString &) {
        suggested = suggestedPath;
        return path;
    });
    view->fileMenu()->setWarningBox([&](QWidget *, const QString &, const QString &text) { warnings << text; });

    useContextMenu(*view, 1, QStringLiteral("Speichern unter …"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path); }, 5000));

    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFileInfo(suggested).fileName().contains(
        QRegularExpression(QStringLiteral("^rix-term-\\d{8}-\\d{6}-antworten\\.txt$"))))
        << suggested.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString content = utf8(file.readAll());
    ASSERT_FALSE(utf8.hasError());
    QStringList lines = content.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), view->count() + 1) << content.toStdString();
    EXPECT_EQ(lines.takeLast(), QString()) << "the last line ends with a line break too";

    for (int i = 0; i < view->count(); ++i) {
        const int tab = lines[i].indexOf(QLatin1Char('\t'));
        ASSERT_EQ(tab, 12) << lines[i].toStdString();
        const QTime time = QTime::fromString(lines[i].left(tab), QStringLiteral("HH:mm:ss.zzz"));
        ASSERT_TRUE(time.isValid()) << lines[i].toStdString();
        EXPECT_EQ(time, QDateTime::fromMSecsSinceEpoch(view->lineTime(i)).time()) << lines[i].toStdString();
        // Read back by the recording's reader: every byte as it was.
        EXPECT_EQ(recordformat::fieldBytes(lines[i].mid(tab + 1).toUtf8()), view->lineBytes(i)) << "line " << i;
    }
    EXPECT_EQ(lines[0].mid(13), QStringLiteral("A\\r\\x01\\x81\\\\"));
    EXPECT_EQ(lines[1].mid(13), QString::fromUtf8("\u00E4"));
    EXPECT_EQ(lines[2].mid(13), QString());
    EXPECT_EQ(lines[3].left(12), QStringLiteral("23:59:59.999"));
    EXPECT_EQ(lines[4].left(12), QStringLiteral("00:00:00.007"));
    EXPECT_EQ(lines[5].left(12), QStringLiteral("01:59:59.999"));
    EXPECT_EQ(lines[6].left(12), QStringLiteral("03:00:00.000"));
}

TEST(LineView, SavingWhereNoFileCanBeMadeSaysWhyAndLeavesNothing)
{
    // A path below a regular file cannot be created, not even by root.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("datei")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath(QStringLiteral("datei/liste.txt"));

    LineList view;
    view.addLine("SRF0F011");
    view.fileMenu()->setSaveFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    QStringList warnings;
    view.fileMenu()->setWarningBox([&](QWidget *, const QString &, const QString &text) { warnings << text; });

    view.fileMenu()->saveAs();

    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: ")
                                           .arg(QDir::toNativeSeparators(path))))
        << warnings[0].toStdString();
    EXPECT_GT(warnings[0].size(), warnings[0].indexOf(QStringLiteral(": ")) + 2) << "a reason follows";
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("datei")});
    EXPECT_EQ(QFileInfo(blocker).size(), 0);
}

TEST(LineView, TheWindowNamesEachListsSavedFile)
{
    MainWindow window;
    const QDateTime at(QDate(2026, 12, 7), QTime(13, 5, 9));
    EXPECT_EQ(window.lbrx()->fileMenu()->suggestedFileName(at), QStringLiteral("rix-term-20261207-130509-antworten.txt"));
    EXPECT_EQ(window.lb2()->fileMenu()->suggestedFileName(at), QStringLiteral("rix-term-20261207-130509-befehle.txt"));
}

TEST(LineView, HoveringALineShowsItsTimeByteCountAndHex)
{
    auto view = shownView();
    view->addLine(QByteArray("\r\xFF", 2), localTime(13, 5, 9, 42));
    view->addLine("A", localTime(13, 5, 10, 0));

    const QPoint at = centreOf(*view, 0);
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("13:05:09.042\n2 Bytes\n0D FF"));

    EXPECT_EQ(view->lineToolTip(1), QStringLiteral("13:05:10.000\n1 Byte\n41"));
    EXPECT_EQ(view->lineToolTip(2), QString());

    // Below the last line there is nothing to tell.
    const QPoint below(10, view->lineRect(1).bottom() + 2 * view->rowHeight());
    QHelpEvent nothing(QEvent::ToolTip, below, view->viewport()->mapToGlobal(below));
    QApplication::sendEvent(view->viewport(), &nothing);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 5000));
}

TEST(LineView, ToolTipShowsTheFirst64BytesInHexThenAnEllipsis)
{
    LineView view;
    QByteArray bytes;
    for (int b = 0; b < 100; ++b)
        bytes.append(char(b));
    view.addLine(bytes);
    view.addLine(bytes.left(64));

    QStringList rows;
    for (int row = 0; row < 4; ++row) {
        QStringList hex;
        for (int b = row * 16; b < row * 16 + 16; ++b)
            hex << QString::asprintf("%02X", b);
        rows << hex.join(QLatin1Char(' '));
    }
    const QStringList longTip = view.lineToolTip(0).split(QLatin1Char('\n'));
    ASSERT_EQ(longTip.size(), 6);
    EXPECT_EQ(longTip[1], QStringLiteral("100 Bytes"));
    EXPECT_EQ(longTip.mid(2, 3), rows.mid(0, 3));
    EXPECT_EQ(longTip[5], rows[3] + QStringLiteral(" …"));

    const QStringList exactTip = view.lineToolTip(1).split(QLatin1Char('\n'));
    EXPECT_EQ(exactTip[1], QStringLiteral("64 Bytes"));
    EXPECT_EQ(exactTip.mid(2), rows);
}

TEST(LineView, MitschnittAsksForAFileAndWhileOneRunsOffersItsEndAndTheToolTipsNameIt)
{
    auto view = shownView();
    view->setToolTip(QStringLiteral("Antworten der Einheit"));
    addNumbered(*view, 3);
    QStringList askedFor;
    QString answer = QStringLiteral("/tmp/messung/sitzung.txt");
    view->fileMenu()->setRecordFileAsker([&](QWidget *, const QString &caption, const QString &suggested, const QString &) {
        askedFor << caption << QFileInfo(suggested).fileName();
        return answer;
    });
    QStringList chosen;
    int stopsAsked = 0;
    QObject::connect(view->fileMenu(), &LineViewFileMenu::recordingFileChosen, [&](const QString &path) { chosen << path; });
    QObject::connect(view->fileMenu(), &LineViewFileMenu::recordingStopAsked, [&] { ++stopsAsked; });

    useContextMenu(*view, 1, QStringLiteral("Mitschnitt in Datei …"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chosen.isEmpty(); }, 5000));
    EXPECT_EQ(chosen, QStringList{answer});
    ASSERT_EQ(askedFor.size(), 2);
    EXPECT_EQ(askedFor[0], QStringLiteral("Mitschnitt in Datei"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^rix-term-\\d{8}-\\d{6}-mitschnitt\\.txt$")).match(askedFor[1]).hasMatch())
        << askedFor[1].toStdString();
    EXPECT_EQ(view->fileMenu()->recordingFile(), QString()) << "the list only asks; the window says when one runs";

    // Running: the end is offered with the file's name, and every tool tip names the file.
    view->fileMenu()->setRecordingFile(answer);
    const QString note = QStringLiteral("Mitschnitt läuft in „/tmp/messung/sitzung.txt“");
    EXPECT_EQ(view->toolTip(), QStringLiteral("Antworten der Einheit\n") + note);
    const QPoint at = centreOf(*view, 0);
    QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &help);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), view->lineToolTip(0) + QLatin1Char('\n') + note);
    QToolTip::hideText();
    const QStringList running = useContextMenu(*view, 1, QStringLiteral("Mitschnitt beenden („sitzung.txt“)"));
    EXPECT_FALSE(running.contains(QStringLiteral("Mitschnitt in Datei …")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopsAsked == 1; }, 5000));
    EXPECT_EQ(chosen.size(), 1);

    // Stopped: as before, and a cancelled dialog chooses nothing.
    view->fileMenu()->setRecordingFile(QString());
    EXPECT_EQ(view->toolTip(), QStringLiteral("Antworten der Einheit"));
    answer.clear();
    const QStringList stopped = useContextMenu(*view, 1, QStringLiteral("Mitschnitt in Datei …"));
    EXPECT_TRUE(stopped.contains(QStringLiteral("Mitschnitt in Datei …")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return askedFor.size() == 4; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(chosen.size(), 1);
    EXPECT_EQ(stopsAsked, 1);
}

TEST(LineView, MitschnittOeffnenAsksForAFileAndSaysWhichOneWasChosen)
{
    auto view = shownView();
    addNumbered(*view, 2);
    QStringList asked;
    QString answer = QStringLiteral("/tmp/feld.txt");
    view->fileMenu()->setOpenFileAsker([&](QWidget *, const QString &caption, const QString &, const QString &filter) {
        asked << caption << filter;
        return answer;
    });
    QStringList opened;
    QObject::connect(view->fileMenu(), &LineViewFileMenu::recordingOpenAsked, [&](const QString &path) { opened << path; });
    useContextMenu(*view, 1, QStringLiteral("Mitschnitt öffnen …"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened, QStringList{QStringLiteral("/tmp/feld.txt")});
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Mitschnitt öffnen"), QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)")}));

    answer.clear();   // cancelled
    view->fileMenu()->askRecordingToOpen();
    EXPECT_EQ(opened.size(), 1) << "nothing to open";
}

TEST(LineView, ABatchOfLinesIsStoredAsAddedAndTheViewFollowsOnceAtItsEnd)
{
    auto view = shownView();
    int added = 0;
    QObject::connect(view.get(), &LineView::linesAdded, [&] { ++added; });
    view->reserveFor(2.0);
    for (int i = 0; i < 500; ++i) {
        const QByteArray line = numbered(i);
        view->appendLine(line.constData(), int(line.size()), 1000 + i);
    }
    view->appendMarker("Listen geleert (Befehle: 0 Zeilen, Antworten: 0 Zeilen)", 2000);
    EXPECT_EQ(view->count(), 501);
    EXPECT_EQ(added, 0) << "nothing said before the batch ends";
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0) << "the range waits for the end too";
    view->finishAdding();
    EXPECT_EQ(added, 1);
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 501 - view->fullyVisibleRows());
    EXPECT_EQ(view->lineBytes(499), "Zeile 499");
    EXPECT_EQ(view->lineTime(499), 1499);
    EXPECT_TRUE(view->isMarker(500));
    view->finishAdding();
    EXPECT_EQ(added, 1) << "an empty batch says nothing";
    for (const auto part : {LineStore::Part::Text, LineStore::Part::Ends, LineStore::Part::Times})
        view->squeeze(part);
    EXPECT_EQ(view->lineBytes(0), "Zeile 0") << "given back room keeps every line";
    EXPECT_EQ(view->lineText(500), QStringLiteral("Listen geleert (Befehle: 0 Zeilen, Antworten: 0 Zeilen)"));
}
