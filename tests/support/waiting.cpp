// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/waiting.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>

#include <ctime>

namespace testsupport {

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds deadline)
{
    const auto end = Clock::now() + deadline;
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= end)
            return false;
        QTest::qWait(2);
    }
}

void runEventsFor(std::chrono::milliseconds time)
{
    QTest::qWait(int(time.count()));
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double processCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

} // namespace testsupport
