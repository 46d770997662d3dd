// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's small text helpers: the flood pattern and the log lines.
#include "rixsim/escape.h"
#include "rixsim/flood.h"
#include "rixsim/logformat.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(FloodLine, HasTheDocumentedLayout)
{
    EXPECT_EQ(rixsim::floodLine(1), "FLOOD 000001 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq\r\n");
    EXPECT_EQ(rixsim::floodLine(123456), "FLOOD 123456 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq\r\n");
    EXPECT_EQ(rixsim::floodLine(1234567), "FLOOD 1234567 ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopq\r\n");
}

TEST(FloodLine, ParsesWhatItMakes)
{
    for (const std::uint64_t n : {1ULL, 42ULL, 999999ULL, 1000000ULL, 98765432ULL}) {
        EXPECT_EQ(rixsim::parseFloodLine(rixsim::floodLine(n)), n);
        const std::string line = rixsim::floodLine(n);
        EXPECT_EQ(rixsim::parseFloodLine(line.substr(0, line.size() - 2)), n);
    }
}

TEST(FloodLine, RejectsDamagedLines)
{
    const std::string good = rixsim::floodLine(17);
    std::string dropped = good;
    dropped.erase(30, 1);
    std::string changed = good;
    changed[40] = '#';
    for (const std::string &bad : {dropped, changed, good.substr(0, 20), std::string("FLOOD 17 ") + good.substr(13),
                                   std::string("FLOOD 0000017") + good.substr(12), std::string("SRF0F011\r\n"),
                                   std::string()})
        EXPECT_FALSE(rixsim::parseFloodLine(bad).has_value()) << bad;
}

TEST(EscapeBytes, ShowsControlBytesVisibly)
{
    EXPECT_EQ(rixsim::escapeBytes("SRF0F011\r\n"), "SRF0F011\\r\\n");
    EXPECT_EQ(rixsim::escapeBytes(std::string("a\tb\\c\x01\x7F\xFF", 8)), "a\\tb\\\\c\\x01\\x7F\\xFF");
    EXPECT_EQ(rixsim::escapeBytes(std::string("\0", 1)), "\\x00");
    EXPECT_EQ(rixsim::escapeBytes("$RSRF0"), "$RSRF0");
}

std::chrono::system_clock::time_point localTime(int hour, int minute, int second, int millis)
{
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 5;
    local.tm_mday = 1;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(millis);
}

TEST(LogLine, MarksDirectionAndEscapes)
{
    const auto at = localTime(12, 0, 1, 234);
    const auto now = std::chrono::steady_clock::now();
    using Kind = rixsim::TrafficEvent::Kind;
    EXPECT_EQ(rixsim::formatLogLine({Kind::Received, now, "$RSRF0"}, at), "12:00:01.234 <- $RSRF0");
    EXPECT_EQ(rixsim::formatLogLine({Kind::Sent, now, "SRF0F011\r\n"}, at), "12:00:01.234 -> SRF0F011\\r\\n");
    EXPECT_EQ(rixsim::formatLogLine({Kind::Note, now, "hung up"}, localTime(9, 5, 7, 8)), "09:05:07.008 -- hung up");
}

} // namespace
