// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A time zone for a test's scope.

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// Local time in a zone with an offset and summer time for the scope, so that times written as
// UTC cannot pass for local ones on a machine that runs in UTC.
class LocalZone {
public:
    explicit LocalZone(const char *zone)
        : had_(qEnvironmentVariableIsSet("TZ"))
        , old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

private:
    bool had_;
    QByteArray old_;
};
