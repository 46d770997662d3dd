#include "receive/burstreader.h"

#include <QEventLoop>

#include <algorithm>

BurstReader::BurstReader() : clock_([] { return std::chrono::steady_clock::now(); })
{
    quietTimer.setObjectName(QStringLiteral("burstQuiet"));
    quietTimer.setSingleShot(true);
    quietTimer.setTimerType(Qt::PreciseTimer);
    quietTimer.setInterval(kQuietMs);
}

void BurstReader::bytesTaken()
{
    lastBytesAt_ = clock_();
    // Not restarted for every chunk of a flood: when it fires early, quietTimePassed() sets
    // it for the rest.
    if (!quietTimer.isActive())
        quietTimer.start(kQuietMs);
}

bool BurstReader::quietTimePassed()
{
    using namespace std::chrono;
    const auto quietFor = clock_() - lastBytesAt_;
    if (quietFor >= milliseconds(kQuietMs))
        return true;
    const auto rest = ceil<milliseconds>(milliseconds(kQuietMs) - quietFor).count();
    quietTimer.start(int(std::clamp<decltype(rest)>(rest, 1, kQuietMs)));
    return false;
}

void BurstReader::close(bool watchForQuiet)
{
    if (!watchForQuiet)
        quietTimer.stop();
    else if (!quietTimer.isActive())
        quietTimer.start(kQuietMs);
    if (waiting_)
        waiting_->quit();
}

void BurstReader::waitForClose(int ms)
{
    if (!isOpen())
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
    if (!isOpen() && waiting_)
        waiting_->quit();
}
