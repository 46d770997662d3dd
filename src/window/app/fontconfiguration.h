// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's font configuration, read on a thread of its own while Qt connects to the display.
// fontconfig parses every file under /etc/fonts before the window's first text can be laid
// out: about 28 million instructions, a fifth of the start-up to a visible window. On the main
// thread that would come after Qt's connection to the display; beside it, it costs the start-up
// next to nothing. Qt finds the configuration read and takes it as it is.

#include "window/app/startupthread.h"

// Starts reading: before the QApplication is made. Wait for it before the first widget is
// made, so that Qt does not read it a second time. Nothing is started where reading beside Qt
// would race with it (see the .cpp): Qt reads the configuration on the main thread then.
StartUpThread readFontConfigurationInBackground();
