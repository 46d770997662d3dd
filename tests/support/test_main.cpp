// SPDX-License-Identifier: GPL-3.0-or-later
// One application object for the whole test run: a QApplication on the offscreen platform
// unless told otherwise, or, for a test program without widgets (RIX_TEST_MAIN_CORE), a
// QCoreApplication, so that such a program links no widgets at all.
#ifdef RIX_TEST_MAIN_CORE
#include <QCoreApplication>
#else
#include <QApplication>
#include <QTemporaryFile>
#endif
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
#ifdef RIX_TEST_MAIN_CORE
    QCoreApplication app(argc, argv);
#else
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
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
