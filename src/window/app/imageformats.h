// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's image-format plugins, loaded on a thread of their own while the window is built. The
// style draws a combo box's arrow from a PNG, and QImageReader first asks every image-format
// plugin whether it reads PNG, so the window's first paint loaded them all (gif, ico, jpeg with
// libjpeg): about 3 ms of a start-up of 80. Loaded beside the building of the window, they are
// there when it is painted. Qt gives each plugin's object to the main thread as it loads it.

#include "window/app/startupthread.h"

// Starts loading: once the QApplication is made, which knows where the plugins are. Wait for
// it before the event loop paints the window, and at the latest before the QApplication goes.
StartUpThread loadImageFormatsInBackground();
