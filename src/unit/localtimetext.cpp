// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/localtimetext.h"

#include <cstdio>
#include <cstring>

int LocalTimeText::keepSecond(qint64 msecsSinceEpoch)
{
    // Floor division, so that a time before 1970 still gets its right second.
    qint64 seconds = msecsSinceEpoch / 1000;
    int millis = int(msecsSinceEpoch % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const auto second = std::time_t(seconds);
    if (!kept_ || second != second_) {
        std::tm local{};
        if (!localtime_r(&second, &local))
            local = std::tm{};
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        std::memcpy(text_, text, sizeof text_ - 1);
        second_ = second;
        kept_ = true;
    }
    return millis;
}

char *LocalTimeText::writeMillis(int millis, char *out)
{
    *out++ = '.';
    *out++ = char('0' + millis / 100);
    *out++ = char('0' + millis / 10 % 10);
    *out++ = char('0' + millis % 10);
    return out;
}

char *LocalTimeText::writeDateTime(qint64 msecsSinceEpoch, char *out)
{
    const int millis = keepSecond(msecsSinceEpoch);
    std::memcpy(out, text_, sizeof text_ - 1);
    return writeMillis(millis, out + sizeof text_ - 1);
}

char *LocalTimeText::writeTimeOfDay(qint64 msecsSinceEpoch, char *out)
{
    const int millis = keepSecond(msecsSinceEpoch);
    constexpr std::size_t timeStart = 11;   // after "yyyy-MM-dd "
    std::memcpy(out, text_ + timeStart, sizeof text_ - 1 - timeStart);
    return writeMillis(millis, out + sizeof text_ - 1 - timeStart);
}

QString LocalTimeText::timeOfDayText(qint64 msecsSinceEpoch)
{
    char text[timeOfDayLength];
    LocalTimeText().writeTimeOfDay(msecsSinceEpoch, text);
    return QString::fromLatin1(text, timeOfDayLength);
}

QString LocalTimeText::germanDateTimeText(qint64 msecsSinceEpoch)
{
    char iso[dateTimeLength];   // "yyyy-MM-dd HH:mm:ss.zzz"
    LocalTimeText().writeDateTime(msecsSinceEpoch, iso);
    const QLatin1StringView text(iso, dateTimeLength);
    return text.sliced(8, 2) + QLatin1Char('.') + text.sliced(5, 2) + QLatin1Char('.') + text.first(4)
           + text.sliced(10);
}
