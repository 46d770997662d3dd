#pragma once
// How large the window is on a given screen.

#include <QSize>

// The window's inner size: its designed size when that fits the screen's free area;
// otherwise the free area, and where one direction must scroll the other keeps room for
// that scroll bar (`scrollBarExtent`), so a window that is only too wide still shows the
// layout's whole height.
QSize fittedWindowSize(QSize designed, QSize available, int scrollBarExtent);
