#include "receive/burstreader.h"

#include <QEventLoop>

BurstReader::BurstReader()
{
    quietTimer.setObjectName(QStringLiteral("burstQuiet"));
    quietTimer.setSingleShot(true);
    quietTimer.setTimerType(Qt::PreciseTimer);
    quietTimer.setInterval(kQuietMs);
}

void BurstReader::open()
{
    open_ = true;
    quietTimer.start();
}

void BurstReader::bytesAdded()
{
    quietTimer.start();
}

void BurstReader::close(bool split)
{
    open_ = false;
    continues_ = split;
    quietTimer.stop();
    if (waiting_)
        waiting_->quit();
}

void BurstReader::waitForClose(int ms)
{
    if (!open_)
        return;
    // As in a pause, not AllEvents: the input that is waiting for the burst stays queued,
    // in order, while the window repaints and the burst is read on.
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(ms);
    QEventLoop *outer = waiting_;
    waiting_ = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    waiting_ = outer;
    if (!open_ && waiting_)
        waiting_->quit();
}
