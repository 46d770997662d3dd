// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/texttooltip.h"

#include <QEvent>
#include <QLabel>

TextToolTip::TextToolTip(QLabel *label) : QObject(label), label_(label)
{
    label_->installEventFilter(this);
}

bool TextToolTip::eventFilter(QObject *watched, QEvent *event)
{
    // Before the label's own handling, which shows its tool tip (none for an empty text).
    if (watched == label_ && event->type() == QEvent::ToolTip)
        label_->setToolTip(label_->text());
    return false;
}
