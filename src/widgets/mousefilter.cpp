// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/mousefilter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

MouseFilter::MouseFilter(QObject *parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

MouseFilter::~MouseFilter()
{
    qApp->removeEventFilter(this);
}

MouseFilter::Entry &MouseFilter::entryFor(QWidget *control)
{
    for (auto &e : entries_)
        if (e.control == control)
            return e;
    entries_.push_back(Entry{control, {}, {}, {}, {}});
    return entries_.back();
}

void MouseFilter::onMouseDown(QWidget *control, Handler handler) { entryFor(control).down = std::move(handler); }
void MouseFilter::onMouseUp(QWidget *control, Handler handler) { entryFor(control).up = std::move(handler); }
void MouseFilter::onClick(QWidget *control, Handler handler) { entryFor(control).click = std::move(handler); }
void MouseFilter::onKeyPress(QWidget *control, Handler handler) { entryFor(control).key = std::move(handler); }

MouseFilter::Entry *MouseFilter::watchedAncestor(QObject *object)
{
    for (QObject *o = object; o; o = o->parent()) {
        if (!o->isWidgetType())
            return nullptr;
        for (auto &e : entries_)
            if (e.control == o)
                return &e;
        if (static_cast<QWidget *>(o)->isWindow())
            return nullptr;
    }
    return nullptr;
}

bool MouseFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (armed_)
            return false;   // a second button during a press, or the press propagating to a parent
        Entry *entry = watchedAncestor(watched);
        if (!entry || !entry->control->isEnabled())
            return false;
        armed_ = entry->control;
        if (entry->down) {
            const Handler handler = entry->down;   // the handler may change the table's owner
            handler();
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!armed_ || mouse->buttons() != Qt::NoButton)
            return false;
        QWidget *control = armed_;
        armed_ = nullptr;
        Entry *entry = watchedAncestor(control);
        if (!entry)
            return false;
        const Handler up = entry->up;
        const Handler click = entry->click;
        if (up)
            up();
        if (click && control->rect().contains(control->mapFromGlobal(mouse->globalPosition().toPoint())))
            click();
        return false;
    }
    case QEvent::WindowBlocked:
        // A modal box opened over the window (any box: the program's, a file dialog).
        armed_ = nullptr;
        return false;
    case QEvent::KeyPress: {
        Entry *entry = watchedAncestor(watched);
        if (entry && entry->key) {
            const Handler key = entry->key;
            key();
        }
        return false;
    }
    default:
        return false;
    }
}
