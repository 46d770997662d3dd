// SPDX-License-Identifier: GPL-3.0-or-later
// The wait the parameter sessions give the unit: it ends at its time, or at once when quit.
#include "unit/timedwait.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

TEST(TimedWait, EndsWhenItsTimeIsUpAndNotBefore)
{
    QElapsedTimer clock;
    clock.start();
    TimedWait wait(80);
    wait.exec();
    EXPECT_GE(clock.elapsed(), 75);
    EXPECT_LT(clock.elapsed(), 30000) << "the wait did not end at its time";
}

TEST(TimedWait, EndsAtOnceWhenQuitWhileTheLoopRuns)
{
    QElapsedTimer clock;
    clock.start();
    TimedWait wait(600000);
    bool ranInTheLoop = false;
    QTimer::singleShot(10, [&] {
        ranInTheLoop = true;
        wait.quit();
    });
    wait.exec();
    EXPECT_TRUE(ranInTheLoop);
    EXPECT_LT(clock.elapsed(), 60000);
}
