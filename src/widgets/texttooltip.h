// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gives a label its whole current text as tool tip, for a label narrower than what it may
// show. The tip is taken from the text when it is asked for, so it follows every change of
// the text without the code that sets the text knowing about it.

#include <QObject>

class QLabel;

class TextToolTip : public QObject {
    Q_OBJECT
public:
    // Watches `label`, which owns it.
    explicit TextToolTip(QLabel *label);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *label_;
};
