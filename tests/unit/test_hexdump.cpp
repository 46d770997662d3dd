// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as rows of hex: the copied hex, the tool tip's rows and the inspector's dump.
#include "unit/hexdump.h"

#include <QByteArray>
#include <gtest/gtest.h>

TEST(HexDump, RowsEndWithTheirLastByteAndTheTextStaysInItsColumn)
{
    EXPECT_EQ(hexBytes(QByteArray()), QString());
    EXPECT_EQ(hexBytes(QByteArray("\x00", 1)), QStringLiteral("00"));
    EXPECT_EQ(hexBytes(QByteArray("\x1b[1m\xFF")), QStringLiteral("1B 5B 31 6D FF"));

    const QByteArray seventeen("0123456789ABCDEF\r");
    EXPECT_EQ(hexDump(seventeen, HexLayout{8}),
              QStringLiteral("30 31 32 33 34 35 36 37\n38 39 41 42 43 44 45 46\n0D"));
    EXPECT_EQ(hexDump(seventeen.first(16), HexLayout{8}), QStringLiteral("30 31 32 33 34 35 36 37\n38 39 41 42 43 44 45 46"));

    const HexLayout inspector{4, true, true, true};
    EXPECT_EQ(inspector.hexColumn(0), 10);
    EXPECT_EQ(inspector.hexColumn(2), 17);   // behind the gap
    EXPECT_EQ(inspector.textColumn(), 24);
    EXPECT_EQ(hexDump(QByteArray("\x07" "bcd\xE4", 5), inspector),
              QStringLiteral("00000000  07 62  63 64  \u2407bcd\n"
                             "00000004  E4            ä"));
}
