// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How large the window is on a given screen.
//
// Qt measures in device-independent pixels, rounded to whole ones, and the window manager in
// device pixels. At a scale of 1.5 a screen 1366 device pixels wide is reported as 911 (910.67),
// and a window 911 wide is made 1367 device pixels wide, one more than the screen; a frame one
// device pixel wide is reported as 1 (0.67). So the free area is worked out in device pixels.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// The largest length in device-independent pixels that Qt makes at most `devicePixels` long at
// `ratio` (it rounds to the nearest whole device pixel).
int logicalLengthWithin(int devicePixels, double ratio);

// The largest inner size whose window, frame included, lies within the screen's free area in
// device pixels. `available` and `frame` are Qt's rounded values at `ratio`: the free area is
// taken as the most it can have been (exact wherever the screen's sizes are whole multiples of
// the ratio, as they are for every common screen and scale), and the frame as the most it can
// have been, so that the frame never reaches past the free area.
QSize freeInnerArea(QSize available, QMargins frame, double ratio);

// The window's inner size: its designed size when that fits the free inner area; otherwise
// that area, and where one direction must scroll the other keeps room for that scroll bar
// (`scrollBarExtent`), so a window that is only too wide still shows the layout's whole height.
QSize fittedWindowSize(QSize designed, QSize available, int scrollBarExtent);

// A dialog's inner size: as designed where the free inner area `available` allows, else in
// each direction too large as much as the area gives, though never less than the layout's
// `minimum` (a dialog smaller than that would cut its controls instead of its empty room).
QSize fittedDialogSize(QSize designed, QSize minimum, QSize available);

// Where a window whose frame is `frame` goes so that it lies within `available`: moved in
// as little as it must, its top left corner kept on the screen where it cannot fit whole.
QPoint placedWithin(QRect frame, QRect available);
