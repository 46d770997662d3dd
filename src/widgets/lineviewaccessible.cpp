// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewaccessible.h"

#include "widgets/lineview.h"

#include <QWidget>
#include <QWindow>

void installLineViewAccessibility()
{
    QAccessible::installFactory(lineViewAccessibleFactory);
}

QAccessibleInterface *lineViewAccessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("LineView") || !object || !object->isWidgetType())
        return nullptr;
    if (auto *view = qobject_cast<LineView *>(object))
        return new LineViewAccessible(view);
    return nullptr;
}

LineViewAccessible::LineViewAccessible(LineView *view)
    : QAccessibleWidget(view, QAccessible::List)
{
}

LineViewAccessible::~LineViewAccessible()
{
    // The items were registered with Qt's cache, which owns them; this list made them, so it
    // takes them away with it (deleting an id the cache already dropped is a no-op).
    for (QAccessible::Id id : std::as_const(items_))
        QAccessible::deleteAccessibleInterface(id);
}

LineView *LineViewAccessible::view() const
{
    return static_cast<LineView *>(widget());
}

QAccessible::State LineViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = true;
    s.extSelectable = true;
    return s;
}

int LineViewAccessible::childCount() const
{
    return view()->count();
}

QAccessibleInterface *LineViewAccessible::child(int index) const
{
    if (index < 0 || index >= view()->count())
        return nullptr;
    const auto found = items_.constFind(index);
    if (found != items_.cend()) {
        if (QAccessibleInterface *item = QAccessible::accessibleInterface(*found))
            return item;
        items_.erase(found);
    }

    auto *item = new LineViewItemAccessible(view(), index);
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

int LineViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *item = dynamic_cast<const LineViewItemAccessible *>(child);
    if (!item || item->view() != view() || item->index() >= view()->count())
        return -1;
    return item->index();
}

QAccessibleInterface *LineViewAccessible::childAt(int x, int y) const
{
    const QWidget *viewport = view()->viewport();
    const QPoint local = viewport->mapFromGlobal(QPoint(x, y));
    if (!viewport->rect().contains(local))
        return nullptr;
    return child(view()->lineAt(local));
}

QAccessibleInterface *LineViewAccessible::focusChild() const
{
    if (!view()->hasFocus() || view()->currentLine() < 0)
        return nullptr;
    return child(view()->currentLine());
}

int LineViewAccessible::cachedItemCount() const
{
    return int(items_.size());
}

LineViewItemAccessible::LineViewItemAccessible(LineView *view, int index)
    : view_(view)
    , index_(index)
{
}

bool LineViewItemAccessible::isValid() const
{
    return view_ && index_ >= 0 && index_ < view_->count();
}

QObject *LineViewItemAccessible::object() const
{
    return nullptr;
}

QWindow *LineViewItemAccessible::window() const
{
    return view_ ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface *LineViewItemAccessible::parent() const
{
    return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
}

QAccessibleInterface *LineViewItemAccessible::child(int) const
{
    return nullptr;
}

QAccessibleInterface *LineViewItemAccessible::childAt(int, int) const
{
    return nullptr;
}

int LineViewItemAccessible::childCount() const
{
    return 0;
}

int LineViewItemAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString LineViewItemAccessible::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name || !view_)
        return {};
    return view_->lineText(index_);
}

void LineViewItemAccessible::setText(QAccessible::Text, const QString &)
{
    // The lines are a record of what went over the line; they cannot be edited.
}

QRect LineViewItemAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect local = view_->lineRect(index_);
    return QRect(view_->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role LineViewItemAccessible::role() const
{
    return QAccessible::ListItem;
}

QAccessible::State LineViewItemAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.selectable = true;
    s.focusable = true;
    s.selected = view_->isSelected(index_);
    s.focused = view_->hasFocus() && view_->currentLine() == index_;
    s.offscreen = !view_->isVisible() || !view_->viewport()->rect().intersects(view_->lineRect(index_));
    s.invisible = !view_->isVisible();
    return s;
}
