// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A moment's local time, every way the program writes it: the date and time
// "yyyy-MM-dd HH:mm:ss.zzz" (a recording), the time of day "HH:mm:ss.zzz" (a list's line, a
// saved list, a tool tip, a marker) and the German "dd.MM.yyyy HH:mm:ss.zzz" (the inspector).
// Lines come thousands a second, so the zone is asked once for each second of the lines'
// times and the rest is copied. A time before 1970 gets its right second too.

#include <QString>
#include <QtGlobal>

#include <ctime>

class LocalTimeText {
public:
    static constexpr int dateTimeLength = 23;
    static constexpr int timeOfDayLength = 12;

    // Each writes its length of characters at `out` and returns the end.
    char *writeDateTime(qint64 msecsSinceEpoch, char *out);
    char *writeTimeOfDay(qint64 msecsSinceEpoch, char *out);

    // One time shown on its own (a tool tip, a marker, a window): "HH:mm:ss.zzz", and the
    // German date and time "dd.MM.yyyy HH:mm:ss.zzz".
    static QString timeOfDayText(qint64 msecsSinceEpoch);
    static QString germanDateTimeText(qint64 msecsSinceEpoch);

private:
    // The second's text is kept; returns the milliseconds into it.
    int keepSecond(qint64 msecsSinceEpoch);
    static char *writeMillis(int millis, char *out);

    std::time_t second_ = 0;
    bool kept_ = false;
    char text_[20] = {};   // "yyyy-MM-dd HH:mm:ss"
};
