// SPDX-License-Identifier: GPL-3.0-or-later
// One QApplication for the whole test run, on the offscreen platform unless told otherwise.
#include <QApplication>
#include <QTemporaryFile>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        platform = "offscreen";
    // The offscreen platform's own screen (800×600) is smaller than the window, which would
    // then scroll; the tests run on a common desktop screen, where it has its designed size.
    QTemporaryFile screens;
    if (platform == "offscreen" && screens.open()) {
        screens.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,
                          "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.flush();
        platform += ":configfile=" + screens.fileName().toLocal8Bit();
    }
    qputenv("QT_QPA_PLATFORM", platform);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
