#include "widgets/screenfit.h"

#include <algorithm>

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
