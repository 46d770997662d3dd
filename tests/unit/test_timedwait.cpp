// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one wait: it ends at its time, at once when quit, or when its condition holds.
#include "unit/timedwait.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

TEST(TimedWait, EndsWhenItsTimeIsUpAndNotBefore)
{
    for (const TimedWait::Input input : {TimedWait::Input::Handled, TimedWait::Input::HeldBack}) {
        QElapsedTimer clock;
        clock.start();
        TimedWait wait(80, input);
        wait.exec();
        EXPECT_GE(clock.elapsed(), 75);
        EXPECT_LT(clock.elapsed(), 30000) << "the wait did not end at its time";
    }
}

TEST(TimedWait, EndsAtOnceWhenQuitWhileTheLoopRuns)
{
    QElapsedTimer clock;
    clock.start();
    TimedWait wait(600000, TimedWait::Input::Handled);
    bool ranInTheLoop = false;
    QTimer::singleShot(10, [&] {
        ranInTheLoop = true;
        wait.quit();
    });
    wait.exec();
    EXPECT_TRUE(ranInTheLoop);
    EXPECT_LT(clock.elapsed(), 60000);
}

TEST(TimedWait, UntilRunsTheLoopToItsTimeWhenTheConditionNeverHolds)
{
    QElapsedTimer clock;
    clock.start();
    TimedWait wait(80, TimedWait::Input::HeldBack);
    int timersRun = 0;
    QTimer::singleShot(10, [&] {
        ++timersRun;
        wait.quit();   // a wake-up, not the end: the condition still does not hold
    });
    EXPECT_FALSE(wait.until([] { return false; }));
    EXPECT_EQ(timersRun, 1);
    EXPECT_GE(clock.elapsed(), 75);
}

TEST(TimedWait, UntilEndsWhenTheConditionHoldsAfterAWakeUp)
{
    QElapsedTimer clock;
    clock.start();
    TimedWait wait(600000, TimedWait::Input::HeldBack);
    bool arrived = false;
    QTimer::singleShot(10, [&] {
        arrived = true;
        wait.quit();
    });
    EXPECT_TRUE(wait.until([&] { return arrived; }));
    EXPECT_LT(clock.elapsed(), 60000);
}

TEST(TimedWait, UntilAsksFirstAndStepsWithTheTimeLeft)
{
    std::vector<int> steps;
    int asked = 0;
    // Done at once: no step.
    EXPECT_TRUE(TimedWait::until(QDeadlineTimer(600000), [&] { return ++asked > 0; }, [&](int ms) { steps.push_back(ms); }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(steps.empty());
    // Done after the second step; each step is given what is left of the time.
    asked = 0;
    EXPECT_TRUE(TimedWait::until(QDeadlineTimer(600000), [&] { return ++asked > 2; }, [&](int ms) { steps.push_back(ms); }));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_GT(steps[0], 590000);
    EXPECT_LE(steps[0], 600000);
    EXPECT_LE(steps[1], steps[0]);
    // Time up: asked once, and no step.
    steps.clear();
    asked = 0;
    EXPECT_FALSE(TimedWait::until(QDeadlineTimer(0), [&] { return ++asked > 5; }, [&](int ms) { steps.push_back(ms); }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(steps.empty());
}
