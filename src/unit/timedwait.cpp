// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/timedwait.h"

TimedWait::TimedWait(int ms)
    : ms_(ms)
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake_, &QTimer::timeout, &loop_, &QEventLoop::quit);
}

void TimedWait::exec()
{
    wake_.start(ms_);
    loop_.exec();
}
