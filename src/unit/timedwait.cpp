// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/timedwait.h"

TimedWait::TimedWait(int ms, Input input)
    : ms_(ms)
    , flags_(input == Input::HeldBack ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents)
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake_, &QTimer::timeout, &loop_, &QEventLoop::quit);
}

void TimedWait::runLoop(int ms)
{
    wake_.start(ms);
    loop_.exec(flags_);
    wake_.stop();
}

void TimedWait::exec()
{
    runLoop(ms_);
}

bool TimedWait::until(const std::function<bool()> &done)
{
    return until(QDeadlineTimer(ms_, Qt::PreciseTimer), done, [this](int left) { runLoop(left); });
}

bool TimedWait::until(const QDeadlineTimer &deadline, const std::function<bool()> &done,
                      const std::function<void(int ms)> &step)
{
    for (;;) {
        if (done())
            return true;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        step(int(left));
    }
}
