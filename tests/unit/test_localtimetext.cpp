// SPDX-License-Identifier: GPL-3.0-or-later
// A moment's local time as the files and lists write it.
#include "support/localzone.h"
#include "unit/localtimetext.h"

#include <QByteArray>
#include <gtest/gtest.h>

namespace {
QByteArray timeOfDay(LocalTimeText &text, qint64 msecsSinceEpoch)
{
    char out[LocalTimeText::timeOfDayLength];
    return QByteArray(out, text.writeTimeOfDay(msecsSinceEpoch, out) - out);
}

QByteArray dateTime(LocalTimeText &text, qint64 msecsSinceEpoch)
{
    char out[LocalTimeText::dateTimeLength];
    return QByteArray(out, text.writeDateTime(msecsSinceEpoch, out) - out);
}
} // namespace

TEST(LocalTimeText, TimeOfDayAndDateTimeAgreeAcrossSecondsZonesAndSummerTime)
{
    const LocalZone berlin("Europe/Berlin");
    LocalTimeText text;
    // 2026-12-07 17:13:51.123 UTC.
    EXPECT_EQ(timeOfDay(text, 1796663631123), "18:13:51.123");
    EXPECT_EQ(dateTime(text, 1796663631123), "2026-12-07 18:13:51.123");
    EXPECT_EQ(timeOfDay(text, 1796663631130), "18:13:51.130");   // same second: the kept text
    EXPECT_EQ(timeOfDay(text, 1796663632000), "18:13:52.000");
    // Summer time: two hours ahead of UTC (2026-07-01 10:00:00.005 UTC).
    EXPECT_EQ(timeOfDay(text, 1782900000005), "12:00:00.005");
    EXPECT_EQ(dateTime(text, 1782900000005), "2026-07-01 12:00:00.005");
    // A time shown on its own: a tool tip's, a marker's, the inspector's.
    EXPECT_EQ(LocalTimeText::timeOfDayText(1782900000005), QStringLiteral("12:00:00.005"));
    EXPECT_EQ(LocalTimeText::germanDateTimeText(1796663631123), QStringLiteral("07.12.2026 18:13:51.123"));
}

TEST(LocalTimeText, ATimeBefore1970GetsItsRightSecond)
{
    const LocalZone utc("UTC");
    LocalTimeText text;
    EXPECT_EQ(dateTime(text, -1), "1969-12-31 23:59:59.999");
    EXPECT_EQ(timeOfDay(text, -1000), "23:59:59.000");
    EXPECT_EQ(timeOfDay(text, -1001), "23:59:58.999");
    EXPECT_EQ(dateTime(text, 0), "1970-01-01 00:00:00.000");
}
