// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/imageformats.h"

#include <QCoreApplication>
#include <QImageReader>

ImageFormatsInBackground::ImageFormatsInBackground()
{
    Q_ASSERT(QCoreApplication::instance());
    // Asking for the formats it reads loads every plugin, as reading the first image would.
    thread_ = std::thread([] { QImageReader::supportedImageFormats(); });
}

void ImageFormatsInBackground::wait()
{
    if (thread_.joinable())
        thread_.join();
}

ImageFormatsInBackground::~ImageFormatsInBackground()
{
    wait();
}
