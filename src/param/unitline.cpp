#include "param/unitline.h"

#include "unit/serialchannel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {
// A value's answer is a few characters; a burst past this size is no value, and is not
// gathered on (the window shows such a text in pieces of the same size).
constexpr qsizetype kAnswerByteLimit = 65536;
} // namespace

UnitLine::UnitLine(SerialChannel &channel, LineTiming timing)
    : channel_(channel)
    , timing_(timing)
{
}

UnitLine::~UnitLine()
{
    channel_.onBytesArrived({});
}

void UnitLine::writeFresh(const QByteArray &command)
{
    // What is left over from an earlier answer (or an unasked text) belongs to no command
    // of ours; the window would have shown it on a line of its own.
    channel_.takeAvailable();
    channel_.write(command);
}

QByteArray UnitLine::ask(const QByteArray &command)
{
    writeFresh(command);
    return collect(timing_.buttonPauseMs, timing_.answerWaitMs);
}

void UnitLine::send(const QByteArray &command)
{
    writeFresh(command);
    collect(timing_.sendPauseMs, timing_.sendPauseMs);
}

QByteArray UnitLine::collect(int minimumMs, int emptyMs)
{
    QElapsedTimer since;
    since.start();
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    channel_.onBytesArrived([&loop] { loop.quit(); });

    QByteArray burst;
    qint64 lastByteAt = 0;
    for (;;) {
        const QByteArray arrived = channel_.takeAvailable();
        if (!arrived.isEmpty()) {
            burst += arrived;
            lastByteAt = since.elapsed();
        }
        const qint64 deadline = burst.isEmpty()
                                    ? std::max(minimumMs, emptyMs)
                                    : std::min<qint64>(std::max<qint64>(minimumMs, lastByteAt + timing_.quietMs),
                                                       timing_.answerLimitMs);
        const qint64 now = since.elapsed();
        if (now >= deadline || burst.size() > kAnswerByteLimit)
            break;
        wake.start(int(deadline - now));
        loop.exec();
        wake.stop();
    }
    channel_.onBytesArrived({});
    return burst;
}
