// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/imageformats.h"

#include <QCoreApplication>
#include <QImageReader>

StartUpThread loadImageFormatsInBackground()
{
    Q_ASSERT(QCoreApplication::instance());
    // Asking for the formats it reads loads every plugin, as reading the first image would.
    return StartUpThread([] { QImageReader::supportedImageFormats(); });
}
