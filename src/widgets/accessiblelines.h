// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A scrolling list of lines presented to screen readers and automation tools: a list whose
// items are its lines, each named by its shown text. Item interfaces are made when asked for,
// never one per line in advance, and only a bounded number of them is kept. What it says of the
// lines it asks of a Source, so it knows no list class: lineviewaccessible gives it a LineView.

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class QAbstractScrollArea;

class AccessibleLines : public QAccessibleWidget {
public:
    // What the list knows of its lines; rectangles and points are in viewport coordinates.
    struct Source {
        std::function<int()> lineCount;
        std::function<QString(int)> shownText;
        std::function<QRect(int)> area;
        std::function<int(const QPoint &)> lineUnder; // -1 when no line is there
        std::function<int()> current;                 // -1 when none
        std::function<bool(int)> selected;
    };

    // Items kept registered at once; older ones are dropped and made again when asked for.
    static constexpr int maxCachedItems = 1024;

    AccessibleLines(QAbstractScrollArea *list, Source source);
    ~AccessibleLines() override;

    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // How many item interfaces exist now (for tests of the bound).
    int cachedItemCount() const;

private:
    QAbstractScrollArea *list() const;

    std::shared_ptr<const Source> source_;
    // child() is const in Qt's interface but registers what it creates.
    mutable QHash<int, QAccessible::Id> items_;
    mutable std::deque<int> creationOrder_;
};

// One line of such a list. It keeps no text of its own: every question goes to the list.
class AccessibleLine : public QAccessibleInterface {
public:
    AccessibleLine(QAbstractScrollArea *list, std::shared_ptr<const AccessibleLines::Source> source, int index);

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

    const QAbstractScrollArea *list() const { return list_; }
    int index() const { return index_; }

private:
    QPointer<QAbstractScrollArea> list_;
    std::shared_ptr<const AccessibleLines::Source> source_;
    int index_;
};
