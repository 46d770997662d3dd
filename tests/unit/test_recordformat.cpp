// SPDX-License-Identifier: GPL-3.0-or-later
// The recording's lines: one line per record whatever the bytes, read back exactly.
#include "support/localzone.h"
#include "unit/recordformat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

std::string allBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    return bytes;
}

QByteArray bytesOf(const std::string &text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

// 2026-12-07 17:13:51.123 UTC, 18:13:51.123 in Berlin.
constexpr qint64 kWinterAfternoon = 1796663631123;

} // namespace

TEST(RecordFormat, EveryByteOfBothListsStaysInOneLineAndReadsBack)
{
    std::string reversed = allBytes();
    std::reverse(reversed.begin(), reversed.end());
    QByteArray out;
    recordformat::TimeStamp time;
    recordformat::appendRecord(out, time, kWinterAfternoon, allBytes(), reversed);

    EXPECT_EQ(out.count('\n'), 1);
    EXPECT_TRUE(out.endsWith('\n'));
    EXPECT_EQ(out.count('\t'), 2) << "only the two separators";
    EXPECT_EQ(out.count('\r'), 0);
    EXPECT_TRUE(QString::fromUtf8(out).toUtf8() == out) << "valid UTF-8";

    const auto record = recordformat::readRecord(out.chopped(1));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->commandLine, bytesOf(allBytes()));
    EXPECT_EQ(record->answer, bytesOf(reversed));
}

TEST(RecordFormat, BytesAreTheirWindows1252CharactersWithFourEscapes)
{
    QByteArray out;
    recordformat::appendField(out, std::string("A\r\n\t\\\x80\xE4\x81 ", 9));
    EXPECT_EQ(out, QByteArray("A\\r\\n\\t\\\\\xE2\x82\xAC\xC3\xA4\xC2\x81 "));

    // No answer line and an empty one are written alike: the answer list got none.
    QByteArray record;
    recordformat::TimeStamp time;
    const LocalZone berlin("Europe/Berlin");
    recordformat::appendRecord(record, time, kWinterAfternoon, "$RSRF0", std::nullopt);
    EXPECT_EQ(record, QByteArray("2026-12-07 18:13:51.123\t$RSRF0\t\n"));
}

TEST(RecordFormat, TimesAreLocalToTheMillisecondAcrossSecondsAndDays)
{
    const LocalZone berlin("Europe/Berlin");
    recordformat::TimeStamp time;
    QByteArray out;
    time.append(out, kWinterAfternoon);
    out += '|';
    time.append(out, kWinterAfternoon + 7);   // same second: the kept text
    out += '|';
    time.append(out, kWinterAfternoon + 877);   // next second
    out += '|';
    time.append(out, kWinterAfternoon + 20768876);   // 5 h 46 min 8.876 s later
    out += '|';
    // Summer time: two hours ahead of UTC (2026-07-01 10:00:00.005 UTC).
    time.append(out, 1782900000005);
    EXPECT_EQ(out, QByteArray("2026-12-07 18:13:51.123|2026-12-07 18:13:51.130|2026-12-07 18:13:52.000|"
                              "2026-12-07 23:59:59.999|2026-07-01 12:00:00.005"));
}

TEST(RecordFormat, MarkersAreCommentLinesWithTheTimeAndStayOneLine)
{
    const LocalZone berlin("Europe/Berlin");
    recordformat::TimeStamp time;
    QByteArray out;
    recordformat::appendMarker(out, time, kWinterAfternoon, QStringLiteral("Verbunden: (S) /dev/ttyUSB0:19200,n,8,1"));
    recordformat::appendMarker(out, time, kWinterAfternoon, QStringLiteral("Fehler\nzweite Zeile\tmit \\ und ä"));
    EXPECT_EQ(out, QByteArray("# 2026-12-07 18:13:51.123 Verbunden: (S) /dev/ttyUSB0:19200,n,8,1\n"
                              "# 2026-12-07 18:13:51.123 Fehler\\nzweite Zeile\\tmit \\\\ und \xC3\xA4\n"));
    EXPECT_FALSE(recordformat::readRecord(out.left(out.indexOf('\n'))).has_value()) << "a marker is no record";
}

TEST(RecordFormat, WhatIsNoFieldIsNotReadAsOne)
{
    EXPECT_EQ(recordformat::fieldBytes("F011\\r\\\\"), QByteArray("F011\r\\"));
    EXPECT_EQ(recordformat::fieldBytes("\xE2\x82\xAC"), QByteArray("\x80"));
    EXPECT_FALSE(recordformat::fieldBytes("a\\x").has_value()) << "an unknown escape";
    EXPECT_FALSE(recordformat::fieldBytes("a\\").has_value()) << "a backslash at the end";
    EXPECT_FALSE(recordformat::fieldBytes("a\tb").has_value()) << "a raw TAB";
    EXPECT_FALSE(recordformat::fieldBytes("\xCE\xA9").has_value()) << "Ω has no Windows-1252 byte";
    EXPECT_FALSE(recordformat::fieldBytes("\xC3").has_value()) << "broken UTF-8";
    EXPECT_FALSE(recordformat::readRecord("2026-12-07 18:13:51.123\tnur ein Feld").has_value());
}
