// SPDX-License-Identifier: GPL-3.0-or-later
// The list's input: the mouse, hovering, the keys, the context menu and its entries, the focus.
#include "widgets/lineview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <optional>

void LineView::createActions()
{
    copyAction_ = new QAction(QStringLiteral("Kopieren"), this);
    // The key itself is handled in keyPressEvent; the shortcut here only labels the menu entry.
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &LineView::copySelection);

    selectAllAction_ = new QAction(QStringLiteral("Alles auswählen"), this);
    selectAllAction_->setShortcut(QKeySequence::SelectAll);
    selectAllAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(selectAllAction_, &QAction::triggered, this, &LineView::selectAll);

    parameterSetAction_ = new QAction(QStringLiteral("Parametersatz …"), this);
    // The window owns the key (Ctrl+P); here it only labels the menu entry.
    parameterSetAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    parameterSetAction_->setShortcutContext(Qt::WidgetShortcut);
    // Queued, as the save: the dialog opens after the context menu has closed.
    connect(parameterSetAction_, &QAction::triggered, this, &LineView::parameterSetAsked, Qt::QueuedConnection);

    findAction_ = new QAction(QStringLiteral("Suchen …"), this);
    findAction_->setShortcut(QKeySequence::Find);
    findAction_->setShortcutContext(Qt::WidgetShortcut);   // the window's own shortcut opens the bar
    connect(findAction_, &QAction::triggered, this, &LineView::findAsked);
    inspectAction_ = new QAction(QStringLiteral("Zeile untersuchen …"), this);
    // Queued, as for saving: the dialog opens after the context menu's own event loop.
    connect(inspectAction_, &QAction::triggered, this, [this] {
        if (currentLine() >= 0 && currentLine() < count())
            emit lineInspectionAsked(currentLine());
    }, Qt::QueuedConnection);
    helpAction_ = new QAction(QStringLiteral("Hilfe"), this);
    // The window owns the key (F1); here it only labels the menu entry.
    helpAction_->setShortcut(QKeySequence::HelpContents);
    helpAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(helpAction_, &QAction::triggered, this, &LineView::helpAsked, Qt::QueuedConnection);
}

bool LineView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = lineAt(help->pos());
        if (row < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            // Tied to the row's rectangle, so moving to the next line brings that line's tip.
            QString tip = lineToolTip(row);
            if (!toolTipNote_.isEmpty())
                tip += QLatin1Char('\n') + toolTipNote_;
            QToolTip::showText(help->globalPos(), tip, viewport(), lineRect(row));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void LineView::mousePressEvent(QMouseEvent *event)
{
    const int row = lineAt(event->position().toPoint());
    if (row < 0) {
        event->accept(); // below the last line: nothing to select
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (event->modifiers() & Qt::ShiftModifier)
            extendSelectionTo(row);
        else
            selectSingle(row);
    } else if (event->button() == Qt::RightButton && !isSelected(row)) {
        // The context menu copies what is under the mouse, as in other lists.
        selectSingle(row);
    }
    event->accept();
}

void LineView::mouseReleaseEvent(QMouseEvent *event)
{
    // The press did the work; the release belongs to it.
    event->accept();
}

void LineView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || count() == 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    // Dragging past the top or bottom edge still extends to the edge row and scrolls one on.
    const int y = event->position().toPoint().y();
    const int top = verticalScrollBar()->value();
    const qint64 row = y < 0 ? qint64(top) - 1 : qint64(top) + y / rows_.rowHeight();
    extendSelectionTo(int(std::clamp<qint64>(row, 0, count() - 1)));
    event->accept();
}

void LineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The lists have no other use for a double-click: it shows the line's every byte.
    const int row = lineAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton) {
        selectSingle(row);
        emit lineInspectionAsked(row);
    }
    event->accept();
}

void LineView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
        return;
    }
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const std::optional<int> target =
        LineSelection::keyTarget(event->key(), std::max(0, currentLine()), fullyVisibleRows(), count());
    if (!target) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int row = *target;
    if (event->modifiers() & Qt::ShiftModifier)
        extendSelectionTo(row);
    else
        selectSingle(row);
    event->accept();
}

void LineView::addMenuAction(MenuGroup group, QAction *action)
{
    addedMenuActions_[int(group)] << action;
}

QList<QAction *> LineView::menuEntries() const
{
    const QList<QAction *> own[menuGroupCount] = {{copyAction_, selectAllAction_}, {findAction_, inspectAction_}, {},
                                                  {parameterSetAction_}, {helpAction_}};
    QList<QAction *> entries;
    for (int group = 0; group < menuGroupCount; ++group) {
        QList<QAction *> inGroup;
        for (QAction *action : own[group] + addedMenuActions_[group])
            if (action->isVisible())
                inGroup << action;
        if (inGroup.isEmpty())
            continue;
        if (!entries.isEmpty())
            entries << nullptr;
        entries << inGroup;
    }
    return entries;
}

void LineView::contextMenuEvent(QContextMenuEvent *event)
{
    copyAction_->setEnabled(hasSelection());
    selectAllAction_->setEnabled(count() > 0);
    findAction_->setEnabled(count() > 0);
    inspectAction_->setEnabled(currentLine() >= 0);
    QMenu menu(this);
    for (QAction *entry : menuEntries()) {
        if (entry)
            menu.addAction(entry);
        else
            menu.addSeparator();
    }
    menu.exec(event->globalPos());
    event->accept();
}

void LineView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LineView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
