// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/portname.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(SystemPortName, ComNamesMapToTheOnBoardPorts)
{
    const std::vector<std::pair<const char *, const char *>> table = {
        {"COM1", "/dev/ttyS0"}, {"COM2", "/dev/ttyS1"}, {"COM3", "/dev/ttyS2"},
        {"COM4", "/dev/ttyS3"}, {"COM5", "/dev/ttyS4"}, {"COM6", "/dev/ttyS5"},
        {"COM7", "/dev/ttyS6"}, {"COM8", "/dev/ttyS7"}, {"COM9", "/dev/ttyS8"},
        {"COM10", "/dev/ttyS9"},
    };
    for (const auto &[typed, expected] : table)
        EXPECT_EQ(systemPortName(QString::fromLatin1(typed)), QString::fromLatin1(expected)) << typed;
}

TEST(SystemPortName, ComNamesOutsideTheListAreLookedUpUnderDev)
{
    const std::vector<std::pair<const char *, const char *>> table = {
        {"COM0", "/dev/COM0"},   {"COM11", "/dev/COM11"}, {"COM01", "/dev/COM01"},
        {"COM", "/dev/COM"},     {"com1", "/dev/com1"},   {"Com2", "/dev/Com2"},
        {"COM1 ", "/dev/COM1 "}, {"COM1x", "/dev/COM1x"}, {"COM100", "/dev/COM100"},
        {"COM-1", "/dev/COM-1"},
    };
    for (const auto &[typed, expected] : table)
        EXPECT_EQ(systemPortName(QString::fromLatin1(typed)), QString::fromLatin1(expected)) << typed;
}

TEST(SystemPortName, PathsStayAndOtherNamesAreLookedUpUnderDev)
{
    const std::vector<std::pair<const char *, const char *>> table = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/7", "/dev/pts/7"},
        {"/tmp/rix-sim-link", "/tmp/rix-sim-link"},
        {"/COM1", "/COM1"},
        {"ttyUSB0", "/dev/ttyUSB0"},
        {"ttyS3", "/dev/ttyS3"},
        {"pts/4", "/dev/pts/4"},
        {"", ""},
    };
    for (const auto &[typed, expected] : table)
        EXPECT_EQ(systemPortName(QString::fromLatin1(typed)), QString::fromLatin1(expected)) << typed;
}


TEST(QtLockFileName, EachDeviceHasItsOwnAndQtsRuleIsKept)
{
    // Qt drops "/dev/" and makes every "/" a "_": a path outside /dev keeps its leading "_".
    const std::vector<std::pair<const char *, const char *>> table = {
        {"/dev/ttyUSB0", "LCK..ttyUSB0"},
        {"/dev/pts/3", "LCK..pts_3"},
        {"/dev/serial/by-id/usb-FTDI-if00", "LCK..serial_by-id_usb-FTDI-if00"},
        {"/tmp/x_y", "LCK.._tmp_x_y"},
    };
    for (const auto &[path, expected] : table)
        EXPECT_EQ(qtLockFileName(QString::fromLatin1(path)), QString::fromLatin1(expected)) << path;
}

TEST(DevicePath, LinksLeadToTheDeviceSoThatTwoLinksOfTwoDevicesNeverShareALockName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("x")));
    // Two devices, linked at paths that Qt's rule alone would give one lock name.
    for (const char *device : {"ttyA", "ttyB"}) {
        QFile file(dir.filePath(QString::fromLatin1(device)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("ttyA")), dir.filePath(QStringLiteral("x_y"))));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("ttyB")), dir.filePath(QStringLiteral("x/y"))));
    const QString real = QFileInfo(dir.path()).canonicalFilePath();
    EXPECT_EQ(devicePath(dir.filePath(QStringLiteral("x_y"))), real + QStringLiteral("/ttyA"));
    EXPECT_EQ(devicePath(dir.filePath(QStringLiteral("x/y"))), real + QStringLiteral("/ttyB"));
    EXPECT_NE(qtLockFileName(devicePath(dir.filePath(QStringLiteral("x_y")))),
              qtLockFileName(devicePath(dir.filePath(QStringLiteral("x/y")))));
    // A name that leads nowhere is the system's name for it.
    EXPECT_EQ(devicePath(QStringLiteral("rix-no-such-port")), QStringLiteral("/dev/rix-no-such-port"));
}
