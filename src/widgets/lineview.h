// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A list of lines as the window shows them (the command-line log, the unit's answers). It grows
// for the whole run unless the user clears it, so appending a line and making it current must cost
// the same at the millionth line as at the first: the lines live in a LineStore, and only the
// visible rows are painted. This class is the view: its lines, scrolling and painting here, the
// mouse, the keys and the context menu in lineviewinput.cpp; how a row looks is LineRowPainter's,
// which lines are selected LineSelection's, the formatting of a line is in lineviewformat and
// writing the lines to a file in lineviewfile.
// It opens no dialog: it asks for one with a signal, and whoever builds on it adds the context
// menu's file entries (the window's two lists are LineLists).

#include "widgets/lineselection.h"
#include "widgets/lineviewpainter.h"
#include "widgets/lineviewstore.h"

#include "unit/localtimetext.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

class QAction;

class LineView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LineView(QWidget *parent = nullptr);
    ~LineView() override;

    // Appends a line at the end, stamped with the current time. Amortised constant time:
    // nothing is laid out again and at most one repaint of the viewport is scheduled.
    void addLine(const QByteArray &bytes);
    // The same with the time it was added given, in milliseconds since the epoch.
    void addLine(const QByteArray &bytes, qint64 addedMSecsSinceEpoch);
    int count() const { return lines_.count(); }
    // Forgets every line, the current one and the selection; emits cleared().
    void clear();

    // Many lines at once, as a file read in brings them: each stored as addLine() stores it,
    // and the scroll range, the repaint and linesAdded() once for all of them, at
    // finishAdding() (addLine()'s own work is a few microseconds, a million times).
    void appendLine(const char *bytes, int length, qint64 addedMSecsSinceEpoch);
    void finishAdding();

    // A marker: not a line of the unit's but something that happened (a connect, a lost line,
    // the lists cleared), appended like a line and painted apart from the unit's lines;
    // appendMarker() as appendLine().
    void addMarker(const QByteArray &text, qint64 addedMSecsSinceEpoch);
    void appendMarker(const QByteArray &text, qint64 addedMSecsSinceEpoch);
    bool isMarker(int index) const;
    int markerCount() const { return int(markers_.size()); }
    // Each row shows the time its line was added in front of it ("HH:mm:ss.zzz").
    void setShowsTimes(bool on);
    bool showsTimes() const { return showsTimes_; }
    // About `growth` times the lines there are now will come: room is made for them at once.
    void reserveFor(double growth)
    {
        lines_.reserve(std::size_t(count() * growth), std::size_t(double(lines_.textBytes()) * growth));
    }
    // No more lines come: the room kept for them is given back, a part at a time.
    void squeeze(LineStore::Part part) { lines_.squeeze(part); }

    // The stored bytes exactly as added, and the text as shown (control bytes as visible
    // symbols). Both are empty for an index out of range.
    QByteArray lineBytes(int index) const;
    QString lineText(int index) const;
    int longestLineLength() const { return lines_.longest(); }
    // When the line was added, in milliseconds since the epoch; 0 for an index out of range.
    qint64 lineTime(int index) const;
    // What hovering the line shows: the local time it was added, its byte count and its first
    // 64 bytes in hex. Empty for an index out of range.
    QString lineToolTip(int index) const;

    // Makes a line current, selects it alone and scrolls it into view. An index out of range
    // changes nothing.
    void setCurrentLine(int index);
    int currentLine() const { return selection_.current(); }   // -1 when none

    // Selection: one contiguous range of lines.
    bool hasSelection() const { return selection_.any(); }
    bool isSelected(int index) const { return selection_.contains(index); }
    int selectionFirst() const { return selection_.first(); }   // -1 when nothing is selected
    int selectionLast() const { return selection_.last(); }     // -1 when nothing is selected
    void selectAll();
    // The selected lines' shown text, joined with "\n".
    QString selectedText() const;
    // Puts selectedText() on the clipboard; with nothing selected the clipboard is left alone.
    void copySelection();
    // The context menu's first entries: "Kopieren", "Alles auswählen".
    QAction *copyAction() const { return copyAction_; }
    QAction *selectAllAction() const { return selectAllAction_; }

    // The context menu's groups, in the order shown and divided by a line: the list's own entries
    // come first in their group, those added with addMenuAction after them. Hidden entries are
    // left out, so two actions that take turns can both be added.
    enum class MenuGroup { Edit, Look, File, Unit, Help };
    static constexpr int menuGroupCount = 5;
    void addMenuAction(MenuGroup group, QAction *action);
    // The context menu's entries as it would show them now, group by group (nullptr between two
    // groups, where the menu has a line).
    QList<QAction *> menuEntries() const;
    // A last line for every line's tool tip (what a running recording writes to); empty for none.
    void setToolTipNote(const QString &note) { toolTipNote_ = note; }

    // Every line as "HH:MM:SS.mmm<TAB>text" plus "\n", in UTF-8, the time being local time when
    // the line was added and the text its bytes as a recording writes them. The file appears
    // whole or not at all, and only a regular file or a new name is written. Returns false and
    // the German reason in *errorText when it could not be written completely.
    bool saveToFile(const QString &path, QString *errorText = nullptr) const;

    // The lines themselves, for a search that walks millions of them without copying.
    const LineStore &store() const { return lines_; }

    // Geometry in viewport coordinates: every row has the same height.
    int rowHeight() const { return rows_.rowHeight(); }
    int lineAt(const QPoint &viewportPos) const; // -1 when no line is there
    QRect lineRect(int index) const;
    int fullyVisibleRows() const;

    // "Parametersatz …": the unit's parameter set in its own dialog; emits parameterSetAsked.
    QAction *parameterSetAction() const { return parameterSetAction_; }
    // "Hilfe", the menu's last entry: the Handbuch; emits helpAsked.
    QAction *helpAction() const { return helpAction_; }

signals:
    void parameterSetAsked();
    void helpAsked();
    // After every addLine(), for a search that keeps up with the arriving lines.
    void linesAdded();
    // After clear(): every index said before is gone.
    void cleared();
    // "Suchen …" in the context menu.
    void findAsked();
    // A double-click on a line, or "Zeile untersuchen …" for the current one: show its every byte.
    void lineInspectionAsked(int index);

protected:
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // The context menu's own entries (in lineviewinput.cpp, with the mouse and the keys).
    void createActions();
    void updateScrollSteps();
    void updatePageStep();
    void updateVerticalRange();
    void updateHorizontalRange();
    void ensureVisible(int index);
    // The selection changed: scroll to the current line, repaint, and tell a screen reader.
    void selectionChanged();
    void selectSingle(int index);
    void extendSelectionTo(int index);

    // The columns in front of each row's text: its time and a blank, when shown.
    int timeColumns() const;
    // Lines appended since the last finishAdding(), and the longest line before them.
    int appendedFrom_ = -1;
    int longestBefore_ = 0;

    LineStore lines_;
    // The markers' indexes, in order (they are appended like lines).
    std::vector<int> markers_;
    bool showsTimes_ = false;
    // Writes the time column; keeps the text of the second it last wrote.
    mutable LocalTimeText timeText_;
    LineSelection selection_;
    LineRowPainter rows_;

    QAction *copyAction_ = nullptr;
    QAction *selectAllAction_ = nullptr;
    QAction *parameterSetAction_ = nullptr;
    QAction *findAction_ = nullptr;
    QAction *inspectAction_ = nullptr;
    QAction *helpAction_ = nullptr;
    QList<QAction *> addedMenuActions_[menuGroupCount];
    QString toolTipNote_;
};
