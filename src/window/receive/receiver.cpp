// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/receiver.h"

#include <QEventLoop>

#include <algorithm>

Receiver::Receiver() : clock_([] { return std::chrono::steady_clock::now(); })
{
    tmr1_.setObjectName(QStringLiteral("tmr1"));
    tmr1_.setTimerType(Qt::PreciseTimer);
    tmr1_.setInterval(pollIntervalMs);
    quietTimer_.setObjectName(QStringLiteral("burstQuiet"));
    quietTimer_.setSingleShot(true);
    quietTimer_.setTimerType(Qt::PreciseTimer);
    quietTimer_.setInterval(ReceiveEngine::quietMs);
}

bool Receiver::textEnded() const
{
    return !isOpen() || engine.atLineEnd() || engine.lineEnds() > lineEndsBeforeWait_;
}

void Receiver::bytesTaken()
{
    if (waiting_ && textEnded())
        waiting_->quit();
    lastBytesAt_ = clock_();
    // Not restarted for every chunk of a flood: when it fires early, quietTimePassed() sets
    // it for the rest.
    if (!quietTimer_.isActive())
        quietTimer_.start(ReceiveEngine::quietMs);
}

bool Receiver::quietTimePassed()
{
    using namespace std::chrono;
    const auto quietFor = clock_() - lastBytesAt_;
    if (quietFor >= milliseconds(ReceiveEngine::quietMs))
        return true;
    const auto rest = ceil<milliseconds>(milliseconds(ReceiveEngine::quietMs) - quietFor).count();
    quietTimer_.start(int(std::clamp<decltype(rest)>(rest, 1, ReceiveEngine::quietMs)));
    return false;
}

void Receiver::close(bool watchForQuiet)
{
    if (!watchForQuiet)
        quietTimer_.stop();
    else if (!quietTimer_.isActive())
        quietTimer_.start(ReceiveEngine::quietMs);
    if (waiting_)
        waiting_->quit();
}

void Receiver::waitForTextEnd(int ms)
{
    if (!isOpen() || engine.atLineEnd())
        return;
    // As in a pause, not AllEvents: the input that is waiting for the burst stays queued,
    // in order, while the window repaints and the burst is read on.
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(ms);
    QEventLoop *outer = waiting_;
    const std::uint64_t outerLineEnds = lineEndsBeforeWait_;
    waiting_ = &loop;
    lineEndsBeforeWait_ = engine.lineEnds();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    waiting_ = outer;
    lineEndsBeforeWait_ = outerLineEnds;
    if (textEnded() && waiting_)
        waiting_->quit();
}
