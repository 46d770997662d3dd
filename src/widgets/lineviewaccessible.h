// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Presents a LineView to screen readers and automation tools as a list whose items are its
// lines, each named by its shown text. Item interfaces are made when asked for, never one per
// line in advance, and only a bounded number of them is kept.

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

#include <deque>

class LineView;

// The factory for QAccessible::installFactory.
QAccessibleInterface *lineViewAccessibleFactory(const QString &className, QObject *object);
// Registers that factory, so that every LineView is presented as a list of its lines. Call it
// before the first LineView is made: Qt caches the interface it gives a widget first. Qt keeps
// a factory only once, so calling it again is harmless.
void installLineViewAccessibility();

class LineViewAccessible : public QAccessibleWidget {
public:
    // Items kept registered at once; older ones are dropped and made again when asked for.
    static constexpr int maxCachedItems = 1024;

    explicit LineViewAccessible(LineView *view);
    ~LineViewAccessible() override;

    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // How many item interfaces exist now (for tests of the bound).
    int cachedItemCount() const;

private:
    LineView *view() const;

    // child() is const in Qt's interface but registers what it creates.
    mutable QHash<int, QAccessible::Id> items_;
    mutable std::deque<int> creationOrder_;
};

class LineViewItemAccessible : public QAccessibleInterface {
public:
    LineViewItemAccessible(LineView *view, int index);

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    const LineView *view() const { return view_; }
    int index() const { return index_; }

private:
    QPointer<LineView> view_;
    int index_;
};
