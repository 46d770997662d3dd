// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns mouse presses and releases on the window's controls into their handlers.
//
// Controls act on the press and the release of any mouse button, never on the keyboard
// and never on clicked(). A press (or the second press of a double-click) on an enabled
// control, or on a child of it, arms that control and runs its press handler; the first
// release with no button left down runs the release handler of the armed control, even
// if the press disabled it and wherever Qt delivers the release (a combo box's goes to
// its popup). Further buttons pressed during a press do nothing. Events are never eaten.
// A press still held when a modal box opens is dropped: the box takes the release, and
// whatever release comes after the box belongs to a new action of the user's.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

class MouseFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    explicit MouseFilter(QObject *parent = nullptr);
    ~MouseFilter() override;

    void onMouseDown(QWidget *control, Handler handler);
    void onMouseUp(QWidget *control, Handler handler);
    void onClick(QWidget *control, Handler handler);     // release inside the pressed control
    void onKeyPress(QWidget *control, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        QPointer<QWidget> control;
        Handler down, up, click, key;
    };
    Entry &entryFor(QWidget *control);
    Entry *watchedAncestor(QObject *object);

    std::vector<Entry> entries_;
    QPointer<QWidget> armed_;
};
