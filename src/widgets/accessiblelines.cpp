// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/accessiblelines.h"

#include <QAbstractScrollArea>
#include <QWindow>

AccessibleLines::AccessibleLines(QAbstractScrollArea *list, Source source)
    : QAccessibleWidget(list, QAccessible::List)
    , source_(std::make_shared<const Source>(std::move(source)))
{
}

AccessibleLines::~AccessibleLines()
{
    // The items were registered with Qt's cache, which owns them; this list made them, so it
    // takes them away with it (deleting an id the cache already dropped is a no-op).
    for (QAccessible::Id id : std::as_const(items_))
        QAccessible::deleteAccessibleInterface(id);
}

QAbstractScrollArea *AccessibleLines::list() const
{
    return static_cast<QAbstractScrollArea *>(widget());
}

QAccessible::State AccessibleLines::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = true;
    s.extSelectable = true;
    return s;
}

int AccessibleLines::childCount() const
{
    return source_->lineCount();
}

QAccessibleInterface *AccessibleLines::child(int index) const
{
    if (index < 0 || index >= source_->lineCount())
        return nullptr;
    const auto found = items_.constFind(index);
    if (found != items_.cend()) {
        if (QAccessibleInterface *item = QAccessible::accessibleInterface(*found))
            return item;
        items_.erase(found);
    }

    auto *item = new AccessibleLine(list(), source_, index);
    items_.insert(index, QAccessible::registerAccessibleInterface(item));
    creationOrder_.push_back(index);

    while (creationOrder_.size() > std::size_t(maxCachedItems)) {
        const int oldest = creationOrder_.front();
        creationOrder_.pop_front();
        const auto old = items_.find(oldest);
        if (old != items_.end()) {
            QAccessible::deleteAccessibleInterface(*old);
            items_.erase(old);
        }
    }
    return item;
}

int AccessibleLines::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *item = dynamic_cast<const AccessibleLine *>(child);
    if (!item || item->list() != list() || item->index() >= source_->lineCount())
        return -1;
    return item->index();
}

QAccessibleInterface *AccessibleLines::childAt(int x, int y) const
{
    const QWidget *viewport = list()->viewport();
    const QPoint local = viewport->mapFromGlobal(QPoint(x, y));
    if (!viewport->rect().contains(local))
        return nullptr;
    return child(source_->lineUnder(local));
}

QAccessibleInterface *AccessibleLines::focusChild() const
{
    const int current = source_->current();
    if (!list()->hasFocus() || current < 0)
        return nullptr;
    return child(current);
}

int AccessibleLines::cachedItemCount() const
{
    return int(items_.size());
}

AccessibleLine::AccessibleLine(QAbstractScrollArea *list, std::shared_ptr<const AccessibleLines::Source> source,
                               int index)
    : list_(list)
    , source_(std::move(source))
    , index_(index)
{
}

bool AccessibleLine::isValid() const
{
    return list_ && index_ >= 0 && index_ < source_->lineCount();
}

QObject *AccessibleLine::object() const
{
    return nullptr;
}

QWindow *AccessibleLine::window() const
{
    return list_ ? list_->window()->windowHandle() : nullptr;
}

QAccessibleInterface *AccessibleLine::parent() const
{
    return list_ ? QAccessible::queryAccessibleInterface(list_.data()) : nullptr;
}

QAccessibleInterface *AccessibleLine::child(int) const
{
    return nullptr;
}

QAccessibleInterface *AccessibleLine::childAt(int, int) const
{
    return nullptr;
}

int AccessibleLine::childCount() const
{
    return 0;
}

int AccessibleLine::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString AccessibleLine::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name || !list_)
        return {};
    return source_->shownText(index_);
}

void AccessibleLine::setText(QAccessible::Text, const QString &)
{
    // The lines are a record of what went over the line; they cannot be edited.
}

QRect AccessibleLine::rect() const
{
    if (!isValid())
        return {};
    const QRect local = source_->area(index_);
    return QRect(list_->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role AccessibleLine::role() const
{
    return QAccessible::ListItem;
}

QAccessible::State AccessibleLine::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.selectable = true;
    s.focusable = true;
    s.selected = source_->selected(index_);
    s.focused = list_->hasFocus() && source_->current() == index_;
    s.offscreen = !list_->isVisible() || !list_->viewport()->rect().intersects(source_->area(index_));
    s.invisible = !list_->isVisible();
    return s;
}
