// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/screenfit.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {
// The free area's length in device pixels that Qt reported as `logical`.
int availableDevicePixels(int logical, double ratio)
{
    return int(std::floor(logical * ratio + 1e-9));
}

// The most device pixels a frame side that Qt reported as `logical` can have: Qt rounded it
// to the nearest, so it was less than half a logical pixel more.
int frameDevicePixelsAtMost(int logical, double ratio)
{
    return std::max(0, int(std::ceil((logical + 0.5) * ratio - 1e-9)) - 1);
}
} // namespace

int logicalLengthWithin(int devicePixels, double ratio)
{
    int length = std::max(0, int((devicePixels + 0.5) / ratio) + 1);
    while (length > 0 && qRound(length * ratio) > devicePixels)
        --length;
    return length;
}

QSize freeInnerArea(QSize available, QMargins frame, double ratio)
{
    const int width = availableDevicePixels(available.width(), ratio)
                      - frameDevicePixelsAtMost(frame.left(), ratio) - frameDevicePixelsAtMost(frame.right(), ratio);
    const int height = availableDevicePixels(available.height(), ratio)
                       - frameDevicePixelsAtMost(frame.top(), ratio) - frameDevicePixelsAtMost(frame.bottom(), ratio);
    return {logicalLengthWithin(width, ratio), logicalLengthWithin(height, ratio)};
}

QSize fittedWindowSize(QSize designed, QSize available, int scrollBarExtent)
{
    if (designed.width() <= available.width() && designed.height() <= available.height())
        return designed;
    int width = designed.width();
    int height = designed.height();
    bool across = width > available.width();
    bool down = height > available.height();
    if (across)
        height += scrollBarExtent;
    if (down)
        width += scrollBarExtent;
    // The room for one scroll bar can make the other direction too small as well.
    if (!down && height > available.height()) {
        down = true;
        width += scrollBarExtent;
    }
    if (!across && width > available.width())
        height += scrollBarExtent;
    return {std::min(width, available.width()), std::min(height, available.height())};
}

QSize fittedDialogSize(QSize designed, QSize minimum, QSize available)
{
    return designed.boundedTo(available).expandedTo(minimum);
}

QPoint placedWithin(QRect frame, QRect available)
{
    const int x = std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    return {x, y};
}
