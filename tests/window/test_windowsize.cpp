// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a screen that is too small for it at a scale factor: it takes the free area,
// frame included, in device pixels, and scrolls only where it must. The window runs in a
// child process, on a screen of its own.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// What the child printed: each line's name with its two numbers.
using Measured = std::map<std::string, std::pair<int, int>>;

Measured windowOn(int screenWidth, int screenHeight, const char *scale, const QStringList &arguments = {})
{
    QTemporaryFile screens;
    EXPECT_TRUE(screens.open());
    screens.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1, "height": %2,
                                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                      .arg(screenWidth)
                      .arg(screenHeight)
                      .toUtf8());
    screens.flush();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screens.fileName());
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
    for (const char *name : {"QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_ENABLE_HIGHDPI_SCALING"})
        env.remove(QString::fromLatin1(name));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(WINDOW_SIZE_CHILD), arguments);
    EXPECT_TRUE(child.waitForFinished(60'000)) << child.errorString().toStdString();
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    Measured measured;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 3)
            measured[fields[0].toStdString()] = {fields[1].toInt(), fields[2].toInt()};
    }
    return measured;
}

// A window manager rounds a size down to the window's resize steps, counted from its base
// size: the size the window asks for must be one of them, or a pixel of it is lost.
bool sizeIsAResizeStep(Measured &m)
{
    const auto [width, height] = m["window"];
    const auto [baseWidth, baseHeight] = m["base"];
    const auto [stepWidth, stepHeight] = m["step"];
    const auto onStep = [](int size, int base, int step) { return step <= 0 || (size - base) % step == 0; };
    return onStep(width, baseWidth, stepWidth) && onStep(height, baseHeight, stepHeight);
}

} // namespace

TEST(WindowOnAScaledScreen, At1Point5On1366By768ItTakesTheFreeAreaAndScrollsOnlyAcross)
{
    Measured m = windowOn(1366, 768, "1.5");
    ASSERT_EQ(m.count("window"), 1u);
    EXPECT_EQ(m["available"], std::make_pair(1366, 768));
    // The frame (2 device pixels a side here) within the screen, the window as wide as that allows.
    EXPECT_EQ(m["frame"], std::make_pair(4, 4));
    EXPECT_EQ(m["window"], std::make_pair(1362, 549));
    EXPECT_LE(m["window"].first + m["frame"].first, 1366);
    // Qt's resize step is 2 device pixels at 1.5; the window's 549 must still be one.
    EXPECT_EQ(m["step"], std::make_pair(2, 2));
    EXPECT_TRUE(sizeIsAResizeStep(m));
    // The layout's whole height shows; only the width scrolls.
    EXPECT_EQ(m["bars"], std::make_pair(1, 0));
    EXPECT_EQ(m["viewport"].second, m["layout"].second);
    // The open find bar lies over no control and within the window.
    EXPECT_EQ(m["findBar"], std::make_pair(0, 1));
}

TEST(WindowOnAScaledScreen, At2On1920By1080ItTakesTheFreeAreaAndScrollsOnlyAcross)
{
    Measured m = windowOn(1920, 1080, "2");
    ASSERT_EQ(m.count("window"), 1u);
    EXPECT_EQ(m["available"], std::make_pair(1920, 1080));
    EXPECT_EQ(m["frame"], std::make_pair(4, 4));
    EXPECT_EQ(m["window"], std::make_pair(1916, 732));
    EXPECT_LE(m["window"].first + m["frame"].first, 1920);
    EXPECT_TRUE(sizeIsAResizeStep(m));
    EXPECT_EQ(m["bars"], std::make_pair(1, 0));
    EXPECT_EQ(m["viewport"].second, m["layout"].second);
    // The open find bar lies over no control and within the window.
    EXPECT_EQ(m["findBar"], std::make_pair(0, 1));
}

// The find bar covers nothing at every scale: in the designed layout's free row where the window
// has its designed size, in a row of its own below the layout where the layout scrolls.
// (1.5 and 2 on a wide screen above.)
TEST(WindowOnAScaledScreen, TheOpenFindBarLiesOverNoControlAt1AndAt2On1600By1200)
{
    const struct {
        int width, height;
        const char *scale;
    } screens[] = {{1366, 768, "1"}, {1600, 1200, "2"}};
    for (const auto &screen : screens) {
        Measured m = windowOn(screen.width, screen.height, screen.scale);
        EXPECT_EQ(m["findBar"], std::make_pair(0, 1)) << screen.scale;
    }
}

TEST(WindowOnAScaledScreen, At2On1600By1200TheParameterDialogLiesWithinTheFreeAreaWhole)
{
    Measured m = windowOn(1600, 1200, "2", {QStringLiteral("dialog")});
    ASSERT_EQ(m.count("window"), 1u);
    EXPECT_EQ(m["available"], std::make_pair(1600, 1200));
    // Designed 900×640, twice that in device pixels, it takes what the screen has, frame included.
    EXPECT_EQ(m["window"], std::make_pair(1596, 1196));
    EXPECT_GE(m["frameTopLeft"].first, 0);
    EXPECT_GE(m["frameTopLeft"].second, 0);
    EXPECT_LE(m["frameTopLeft"].first + m["window"].first + m["frame"].first, 1600);
    EXPECT_LE(m["frameTopLeft"].second + m["window"].second + m["frame"].second, 1200);
    // „Schließen“ and the ≠ column inside it.
    EXPECT_LE(m["closeEnd"].first, m["inner"].first);
    EXPECT_LE(m["closeEnd"].second, m["inner"].second);
    EXPECT_LE(m["differsEnd"].first, m["differsEnd"].second);
}

// At 1 and 1.5 on 1920×1080 and at 2 on 2560×1440 every window, dialog and box of the program
// lies within the free area, frame included, every table column is as wide as its widest
// cell needs („Bedeutung“ shows each line of what a value means whole), and the find bar's
// word on hex 0D 0A is shown whole, wrapped if need be, before its close button.
TEST(WindowOnAScaledScreen, EveryWindowDialogAndBoxFitsAndItsColumnsShowTheirCellsWhole)
{
    const struct {
        int width, height;
        const char *scale;
    } screens[] = {{1920, 1080, "1"}, {1920, 1080, "1.5"}, {2560, 1440, "2"}};
    for (const auto &screen : screens) {
        SCOPED_TRACE(screen.scale);
        Measured m = windowOn(screen.width, screen.height, screen.scale, {QStringLiteral("everything")});
        for (const char *name : {"window", "parameterDialog", "writeQuestion", "unitSearch", "inspector", "help",
                                 "refusedBox"}) {
            ASSERT_EQ(m.count(std::string("fits.") + name), 1u) << name;
            EXPECT_EQ(m[std::string("fits.") + name], std::make_pair(1, 0)) << name;
        }
        int columns = 0;
        for (const auto &[name, widthAndNeed] : m) {
            if (name.rfind("column.", 0) != 0)
                continue;
            ++columns;
            EXPECT_GE(widthAndNeed.first, widthAndNeed.second) << name;
        }
        EXPECT_EQ(columns, 5 + 4);
        // The inspector's widest row, sixteen control bytes in boxes, without scrolling.
        EXPECT_EQ(m["inspectorScroll"].first, 0);
        for (const char *room : {"findStatusWidth", "findStatusHeight", "findStatusBeforeClose"})
            EXPECT_GE(m[room].first, m[room].second) << room;
        EXPECT_EQ(m["findStatusSaysWhy"], std::make_pair(1, 1));
    }
}
