// SPDX-License-Identifier: GPL-3.0-or-later
// The recording's lines: one line per record whatever the bytes, read back exactly.
#include "support/localzone.h"
#include "unit/files/recordformat.h"
#include "unit/files/recordline.h"

#include <QList>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
constexpr qint64 winterAfternoon = 1796663631123;

} // namespace

TEST(RecordFormat, EveryByteOfBothListsStaysInOneLineOfPlainTextAndReadsBack)
{
    std::string reversed = allBytes();
    std::reverse(reversed.begin(), reversed.end());
    QByteArray out;
    recordformat::TimeStamp time;
    recordformat::appendRecord(out, time, winterAfternoon, allBytes(), reversed);

    EXPECT_EQ(out.count('\n'), 1);
    EXPECT_TRUE(out.endsWith('\n'));
    EXPECT_EQ(out.count('\t'), 2) << "only the two separators";
    EXPECT_TRUE(QString::fromUtf8(out).toUtf8() == out) << "valid UTF-8";
    // Text to every tool: no control byte, no DEL and no C1 control (UTF-8 C2 80 … C2 9F).
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out.at(i));
        EXPECT_TRUE((b >= 0x20 && b != 0x7F) || b == '\t') << "byte " << i << ": " << int(b);
        if (b == 0xC2) {
            EXPECT_GE(static_cast<unsigned char>(out.at(i + 1)), 0xA0) << "a C1 control at " << i;
        }
    }

    const auto record = recordformat::readRecord(out.chopped(1));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->kind, recordformat::Record::Kind::Shown);
    EXPECT_EQ(record->commandLine, bytesOf(allBytes()));
    EXPECT_EQ(record->answer, bytesOf(reversed));
    EXPECT_TRUE(record->answerLine);
}

TEST(RecordFormat, BytesAreTheirWindows1252CharactersWithEscapesForWhatNoToolShouldMeetRaw)
{
    // Each byte as written, and back.
    const struct {
        std::string bytes;
        QByteArray field;
    } rows[] = {
        {"A", "A"},
        {"\r\n\t\\", "\\r\\n\\t\\\\"},
        {std::string("\0", 1), "\\x00"},
        {"\x07\x1b[2J", "\\x07\\x1B[2J"},
        {"\x1f\x7f", "\\x1F\\x7F"},
        {"\x81\x8d\x8f\x90\x9d", "\\x81\\x8D\\x8F\\x90\\x9D"},   // no character in the code page
        {"\x80\xe4\x9f\xa0\xff", "\xE2\x82\xAC\xC3\xA4\xC5\xB8\xC2\xA0\xC3\xBF"},   // € ä Ÿ NBSP ÿ
        {"\\x41", "\\\\x41"},   // a backslash the unit sent stays one
    };
    for (const auto &row : rows) {
        QByteArray out;
        recordformat::appendField(out, row.bytes);
        EXPECT_EQ(out, row.field) << row.bytes;
        EXPECT_EQ(recordformat::fieldBytes(row.field), bytesOf(row.bytes)) << row.bytes;
    }
    EXPECT_EQ(recordformat::fieldBytes("\\x1b\\x0a"), QByteArray("\x1b\n")) << "lower-case hex digits read too";
}

TEST(RecordFormat, EveryKindOfLineReadsBackWithWhatItSays)
{
    const LocalZone berlin("Europe/Berlin");
    recordformat::TimeStamp time;
    QByteArray out;
    recordformat::appendSent(out, time, winterAfternoon, "$R3RF0");
    recordformat::appendReceived(out, time, winterAfternoon + 1, std::string("$RSE1SE1\r\n\x1b\0", 12));
    recordformat::appendRecord(out, time, winterAfternoon + 2, "$RSE1", std::string_view(""));
    recordformat::appendRecord(out, time, winterAfternoon + 3, "$RSE1", std::nullopt);
    recordformat::appendMarker(out, time, winterAfternoon + 4, QStringLiteral("Keine Antwort \x1b auf „$R3RF0“"));
    EXPECT_EQ(out, QByteArray("> 2026-12-07 18:13:51.123\t$R3RF0\n"
                              "< 2026-12-07 18:13:51.124\t$RSE1SE1\\r\\n\\x1B\\x00\n"
                              "2026-12-07 18:13:51.125\t$RSE1\t\n"
                              "2026-12-07 18:13:51.126\t$RSE1\n"
                              "# 2026-12-07 18:13:51.127 Keine Antwort \\x1B auf \xE2\x80\x9E$R3RF0\xE2\x80\x9C\n"));

    using Kind = recordformat::Record::Kind;
    const QList<QByteArray> lines = out.split('\n');
    const auto sent = recordformat::readRecord(lines[0]);
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->kind, Kind::Sent);
    EXPECT_EQ(sent->time, "2026-12-07 18:13:51.123");
    EXPECT_EQ(sent->bytes, "$R3RF0");
    const auto received = recordformat::readRecord(lines[1]);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->kind, Kind::Received);
    EXPECT_EQ(received->bytes, QByteArray("$RSE1SE1\r\n\x1b\0", 12));
    const auto emptyLine = recordformat::readRecord(lines[2]);
    ASSERT_TRUE(emptyLine.has_value());
    EXPECT_EQ(emptyLine->kind, Kind::Shown);
    EXPECT_TRUE(emptyLine->answerLine) << "an empty answer line";
    EXPECT_EQ(emptyLine->answer, "");
    const auto noLine = recordformat::readRecord(lines[3]);
    ASSERT_TRUE(noLine.has_value());
    EXPECT_EQ(noLine->commandLine, "$RSE1");
    EXPECT_FALSE(noLine->answerLine) << "no answer line";
    const auto marker = recordformat::readRecord(lines[4]);
    ASSERT_TRUE(marker.has_value());
    EXPECT_EQ(marker->kind, Kind::Marker);
    EXPECT_EQ(marker->time, "2026-12-07 18:13:51.127");
    EXPECT_EQ(marker->text, QStringLiteral("Keine Antwort \x1b auf „$R3RF0“"));

    // A recording of an earlier version: raw control bytes and the second TAB always there.
    const auto old = recordformat::readRecord("2026-12-07 18:13:51.123\t\t\x1b[0m\x07");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->answer, "\x1b[0m\x07");
    EXPECT_TRUE(old->answerLine);
    // The soft hyphen shows nothing, so it is written as \xAD; written raw by an earlier
    // version, it reads back all the same.
    QByteArray softHyphen;
    recordformat::appendField(softHyphen, "a\xad");
    EXPECT_EQ(softHyphen, "a\\xAD");
    EXPECT_EQ(recordformat::fieldBytes("a\xC2\xAD"), QByteArray("a\xad"));
    EXPECT_EQ(recordformat::fieldBytes("a\\xAD"), QByteArray("a\xad"));
}

TEST(RecordFormat, TimesAreLocalToTheMillisecondAcrossSecondsAndDays)
{
    const LocalZone berlin("Europe/Berlin");
    recordformat::TimeStamp time;
    QByteArray out;
    time.append(out, winterAfternoon);
    out += '|';
    time.append(out, winterAfternoon + 7);   // same second: the kept text
    out += '|';
    time.append(out, winterAfternoon + 877);   // next second
    out += '|';
    time.append(out, winterAfternoon + 20768876);   // 5 h 46 min 8.876 s later
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
    recordformat::appendMarker(out, time, winterAfternoon, QStringLiteral("Verbunden: (S) /dev/ttyUSB0:19200,n,8,1"));
    recordformat::appendMarker(out, time, winterAfternoon, QStringLiteral("Fehler\nzweite Zeile\tmit \\ und ä"));
    EXPECT_EQ(out, QByteArray("# 2026-12-07 18:13:51.123 Verbunden: (S) /dev/ttyUSB0:19200,n,8,1\n"
                              "# 2026-12-07 18:13:51.123 Fehler\\nzweite Zeile\\tmit \\\\ und \xC3\xA4\n"));
    const auto marker = recordformat::readRecord(out.mid(out.indexOf('\n') + 1).chopped(1));
    ASSERT_TRUE(marker.has_value());
    EXPECT_EQ(marker->kind, recordformat::Record::Kind::Marker);
    EXPECT_EQ(marker->text, QStringLiteral("Fehler\nzweite Zeile\tmit \\ und ä"));
}

TEST(RecordFormat, TheListsClearedMarkerCountsEachListsLinesAndReadsBack)
{
    const struct {
        qint64 commandLines, answerLines;
        const char *text;
    } rows[] = {
        {12, 10, "Listen geleert (Befehle: 12 Zeilen, Antworten: 10 Zeilen)"},
        {1, 0, "Listen geleert (Befehle: 1 Zeile, Antworten: 0 Zeilen)"},
        {0, 1, "Listen geleert (Befehle: 0 Zeilen, Antworten: 1 Zeile)"},
    };
    const LocalZone berlin("Europe/Berlin");
    for (const auto &row : rows) {
        recordformat::TimeStamp time;
        QByteArray out;
        recordformat::appendMarker(out, time, winterAfternoon, recordformat::listsClearedText(row.commandLines, row.answerLines));
        EXPECT_EQ(out, QByteArray("# 2026-12-07 18:13:51.123 ") + row.text + "\n");
        const auto marker = recordformat::readRecord(out.chopped(1));
        ASSERT_TRUE(marker.has_value());
        EXPECT_EQ(marker->kind, recordformat::Record::Kind::Marker);
        EXPECT_EQ(marker->text, QString::fromUtf8(row.text));
    }
}

TEST(RecordFormat, WhatIsNoFieldIsNotReadAsOne)
{
    EXPECT_EQ(recordformat::fieldBytes("F011\\r\\\\"), QByteArray("F011\r\\"));
    EXPECT_EQ(recordformat::fieldBytes("\xE2\x82\xAC"), QByteArray("\x80"));
    EXPECT_FALSE(recordformat::fieldBytes("a\\y").has_value()) << "an unknown escape";
    EXPECT_FALSE(recordformat::fieldBytes("a\\x4").has_value()) << "one hex digit";
    EXPECT_FALSE(recordformat::fieldBytes("a\\xG1").has_value()) << "no hex digit";
    EXPECT_FALSE(recordformat::fieldBytes("a\\").has_value()) << "a backslash at the end";
    EXPECT_FALSE(recordformat::fieldBytes("a\tb").has_value()) << "a raw TAB";
    EXPECT_FALSE(recordformat::fieldBytes("\xCE\xA9").has_value()) << "Ω has no Windows-1252 byte";
    EXPECT_FALSE(recordformat::fieldBytes("\xC3").has_value()) << "broken UTF-8";
    EXPECT_FALSE(recordformat::readRecord("2026-12-07 18:13:51.123 kein TAB").has_value());
    EXPECT_FALSE(recordformat::readRecord("> 2026-12-07 18:13:51.123 kein TAB").has_value());
    EXPECT_FALSE(recordformat::readRecord("< 2026-12-07 18:13:51.123\tzwei\tFelder").has_value());
    EXPECT_FALSE(recordformat::readRecord("#2026-12-07 18:13:51.123 kein Blank").has_value());
}

TEST(RecordLine, ATimeIsItsMillisecondsOnTheRecordingsOwnClock)
{
    const struct {
        const char *time;
        std::optional<std::int64_t> ms;
    } rows[] = {
        {"1970-01-01 00:00:00.000", 0},
        {"1970-01-01 00:00:01.234", 1234},
        {"2026-12-07 18:13:51.123", 1796667231123},   // as if it were UTC: no zone applied
        {"2024-02-29 23:59:59.999", 1709251199999},
        {"2026-03-29 02:30:00.000", 1774751400000},   // an hour that summer time skips: still one
        {"1969-12-31 23:59:59.000", -1000},
        {"2026-12-07 18:13:51", std::nullopt},
        {"2026-12-07 18:13:5x.123", std::nullopt},
        {"2026-13-07 18:13:51.123", std::nullopt},
        {"2026-12-07 24:00:00.000", std::nullopt},
        {"2026/12/07 18:13:51.123", std::nullopt},
    };
    for (const auto &row : rows)
        EXPECT_EQ(recordline::clockMs(row.time), row.ms) << row.time;
}

TEST(RecordLine, LinesAreTakenOneByOneWithoutTheirLineEndsAndAnEditorsCarriageReturn)
{
    const std::string_view text = "eins\nzwei\r\n\ndrei";
    std::size_t at = 0;
    std::vector<std::string_view> lines;
    while (at < text.size())
        lines.push_back(recordline::takeLine(text, at));
    EXPECT_EQ(lines, (std::vector<std::string_view>{"eins", "zwei", "", "drei"}));
}
