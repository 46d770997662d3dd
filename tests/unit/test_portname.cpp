// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/line/portname.h"

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

