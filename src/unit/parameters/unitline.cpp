// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/unitline.h"

#include "unit/line/serialchannel.h"
#include "unit/timedwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>

namespace {
// What a message quotes of what came instead of an answer.
constexpr qsizetype shownBytes = 64;
// The answer is looked for in the bytes since the request, but a unit that floods the
// line must not fill the memory: past this size only the newest bytes are kept, enough
// for an answer and the command sent back before it.
constexpr qsizetype keptBytes = 4096;
constexpr qsizetype tailBytes = 64;

// Two answers naming Fn with different values in one request's time: one of them is from
// before the request, and which one cannot be told. Neither is taken; the read is asked again.
bool anotherValueIn(const QByteArray &arrived, const QString &value, QChar asked, int n)
{
    for (qsizetype from = 0;;) {
        const std::optional<protocol::ReadAnswer> next = protocol::findReadAnswer(arrived.mid(from), asked, n);
        if (!next)
            return false;
        if (next->value != value)
            return true;
        from += next->at + 1;
    }
}
} // namespace

UnitLine::UnitLine(SerialChannel &channel, LineTiming timing)
    : ownLink_(std::make_unique<ChannelLink>(channel))
    , link_(*ownLink_)
    , timing_(timing)
{
}

UnitLine::UnitLine(SessionLink &link, LineTiming timing)
    : link_(link)
    , timing_(timing)
{
}

UnitLine::~UnitLine() = default;

ChannelLink::~ChannelLink()
{
    channel_.onBytesArrived({});
}

QByteArray ChannelLink::take()
{
    return channel_.takeAvailable();
}

void UnitLine::settle()
{
    hold(timing_.settleMs);
}

void ChannelLink::writeFresh(const QByteArray &command)
{
    // A late answer to an earlier request, or text the unit sent on its own, must not be
    // read as the answer to this one. The port's notifier fetches what the system holds.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    channel_.takeAvailable();
    channel_.write(command);
}

void ChannelLink::waitForBytes(int ms)
{
    if (ms <= 0)
        return;
    // rix-param's own port: it has no window whose input would have to wait.
    TimedWait wait(ms, TimedWait::Input::Handled);
    channel_.onBytesArrived([&wait] { wait.quit(); });
    wait.exec();
    channel_.onBytesArrived({});
}

void UnitLine::hold(int ms)
{
    // What comes in the pause is taken and dropped as it comes, at once at the start too.
    TimedWait::until(QDeadlineTimer(ms, Qt::PreciseTimer),
                     [this] {
                         link_.take();
                         return false;
                     },
                     [this](int left) { link_.waitForBytes(left); });
}

void UnitLine::send(const QByteArray &command)
{
    link_.writeCommand(command);
    hold(timing_.sendPauseMs);
}

UnitLine::Heard UnitLine::ask(const QByteArray &command, QChar asked, int n)
{
    link_.writeRequest(command);
    QElapsedTimer since;
    since.start();
    const qint64 waitEnd = std::max(timing_.answerWaitMs, timing_.buttonPauseMs);
    Heard heard;
    std::optional<protocol::ReadAnswer> found;
    QByteArray arrived;   // since the request; once an answer is found, what came after its start
    qint64 lastByteAt = 0;
    for (;;) {
        const QByteArray bytes = link_.take();
        if (!bytes.isEmpty()) {
            heard.anything = true;
            if (heard.before.size() < shownBytes)
                heard.before = (heard.before + bytes).left(shownBytes);
            arrived += bytes;
            lastByteAt = since.elapsed();
        }
        const qint64 now = since.elapsed();
        std::optional<protocol::ReadAnswer> answer;
        if (!found) {
            answer = protocol::findReadAnswer(arrived, asked, n);
            // Complete once a byte follows it (no hexadecimal digit, or it would not have
            // been found) or the line has fallen quiet after it.
            if (answer && (answer->at + protocol::readAnswerLength < arrived.size() || now - lastByteAt >= timing_.quietMs)) {
                found = answer;
                arrived = arrived.mid(answer->at + 1);
            }
        }
        // The pause is listened through: an answer that was on its way from before the
        // request may have come first.
        if (found) {
            heard.contradicted = heard.contradicted || anotherValueIn(arrived, found->value, asked, n);
            if (now >= timing_.buttonPauseMs) {
                if (!heard.contradicted) {
                    heard.answer = found;
                    heard.before.clear();
                }
                return heard;
            }
        } else if (now >= waitEnd) {
            return heard;
        }
        if (arrived.size() > keptBytes)
            arrived = arrived.right(tailBytes);
        const qint64 wakeAt = found ? timing_.buttonPauseMs : answer ? lastByteAt + timing_.quietMs : waitEnd;
        link_.waitForBytes(int(std::min(wakeAt, waitEnd) - now));
    }
}
