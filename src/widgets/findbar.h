// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The find bar ("Suchen …", Ctrl+F): text or hex bytes in one list or both, Enter / F3 to the
// next hit, Shift+Enter / Shift+F3 to the previous one, Esc to close. The hit is selected in
// its list and scrolled into view; the bar says which hit of how many it is and when the
// search went on past an end. The window builds it and places it; it only reads the lists.

#include "widgets/linesearch.h"

#include <QFrame>
#include <QPointer>

class LineView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

class FindBar : public QFrame {
    Q_OBJECT
public:
    // `upper` and `lower` are the window's two lists ("Gesendete Befehle", "Antworten").
    FindBar(LineView *upper, LineView *lower, QWidget *parent = nullptr);

    // Shows the bar with the search text selected; `from`, when given, becomes the list
    // searched and the place the search starts at.
    void open(LineView *from = nullptr);
    void findNext();
    void findPrevious();

    QLineEdit *textEdit() const { return text_; }
    QCheckBox *exactCaseBox() const { return exactCase_; }
    QCheckBox *hexBox() const { return hex_; }
    QComboBox *scopeBox() const { return scope_; }
    QLabel *status() const { return status_; }
    LineSearch &search() { return search_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restart();
    void go(bool forward);
    void showHit(LineSearch::Hit hit, bool wrapped);
    void showStatus();
    LineSearch::Hit startingPoint() const;

    LineView *upper_;
    LineView *lower_;
    QLineEdit *text_;
    QToolButton *previous_;
    QToolButton *next_;
    QCheckBox *exactCase_;
    QCheckBox *hex_;
    QComboBox *scope_;
    QLabel *status_;
    QToolButton *close_;

    LineSearch search_;
    LineSearch::Hit hit_;
    bool wrapped_ = false;
    bool forward_ = true;
    bool none_ = false;
    // The list the user came from: a new search starts at its current line.
    QPointer<LineView> from_;
};
