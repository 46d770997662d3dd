// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineselection.h"

#include <Qt>

#include <algorithm>

void LineSelection::selectSingle(int index)
{
    current_ = anchor_ = first_ = last_ = index;
}

void LineSelection::extendTo(int index)
{
    if (anchor_ < 0) {
        selectSingle(index);
        return;
    }
    current_ = index;
    first_ = std::min(anchor_, index);
    last_ = std::max(anchor_, index);
}

void LineSelection::selectAll(int count)
{
    if (count == 0)
        return;
    first_ = 0;
    last_ = count - 1;
}

void LineSelection::clear()
{
    current_ = anchor_ = first_ = last_ = -1;
}

std::optional<int> LineSelection::keyTarget(int key, int from, int page, int count)
{
    qint64 target = from;
    switch (key) {
    case Qt::Key_Up: target = qint64(from) - 1; break;
    case Qt::Key_Down: target = qint64(from) + 1; break;
    case Qt::Key_PageUp: target = qint64(from) - page; break;
    case Qt::Key_PageDown: target = qint64(from) + page; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = qint64(count) - 1; break;
    default: return std::nullopt;
    }
    return int(std::clamp<qint64>(target, 0, qint64(count) - 1));
}
