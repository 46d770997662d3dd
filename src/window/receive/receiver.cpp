// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/receiver.h"

#include "unit/cp1252.h"
#include "unit/line/serialchannel.h"
#include "unit/logging.h"
#include "unit/timedwait.h"
#include "widgets/linelist.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/lamps.h"
#include "window/recording/recording.h"
#include "window/recording/recordinghandlers.h"

#include <QDateTime>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {
// The command line, baud text and flag at the moment bytes are taken.
class Moment {
public:
    explicit Moment(const Program &p)
        : commandLine_(encoded(p.w.ed1()->text()))
        , baudText_(p.state.BaudText.toUtf8())
        , flag_(p.state.ButtonCommandFlag)
    {
    }
    ReceiveEngine::Context context() const { return {view(commandLine_), view(baudText_), flag_}; }

private:
    static QByteArray encoded(const QString &text)
    {
        // ed1 accepts only Windows-1252 characters; the fallback keeps one byte per character.
        std::optional<QByteArray> bytes = cp1252::encode(text);
        return bytes ? *std::move(bytes) : text.toLatin1();
    }
    static std::string_view view(const QByteArray &bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }
    QByteArray commandLine_;
    QByteArray baudText_;
    std::int16_t flag_;
};

QByteArray bytesOf(const std::string &text) { return QByteArray(text.data(), qsizetype(text.size())); }

void appendAndShow(LineView *list, const QByteArray &line, qint64 shownAt)
{
    list->addLine(line, shownAt);
    list->setCurrentLine(list->count() - 1);
}

void append(ReceiveEngine::Shown &to, ReceiveEngine::Shown more)
{
    std::move(more.begin(), more.end(), std::back_inserter(to));
}
} // namespace

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

void Receiver::stopPolling()
{
    tmr1_.stop();
    // Whoever stops it starts it again; a burst that ends meanwhile leaves it off.
    burstHoldsPolling_ = false;
}

QByteArray Receiver::take(From from)
{
    QByteArray bytes = from == From::System ? p_->channel.takeAllReceived() : p_->channel.takeAvailable();
    if (!bytes.isEmpty() && listener)
        listener(bytes);
    return bytes;
}

void Receiver::add(const QByteArray &bytes)
{
    if (!busy()) {
        lastShownAt_ = clock_();
        burstSince_ = lastShownAt_;
        // The burst keeps the poll off until it is shown: the poll is the port's guard.
        if (tmr1_.isActive()) {
            tmr1_.stop();
            burstHoldsPolling_ = true;
        }
    }
    const Moment now(*p_);
    ReceiveEngine::Shown shown = engine_.add({bytes.constData(), std::size_t(bytes.size())}, now.context());
    lastBytesAt_ = clock_();
    // A unit that never pauses is shown at least this often, cut at its line ends.
    if (engine_.isOpen() && sinceMs(lastShownAt_) >= pauseWaitMs)
        append(shown, engine_.showToLastLineEnd());
    if (engine_.showsLineByLine() && sinceMs(lineByLineSince_) >= pauseWaitMs)
        engine_.endLineByLine();
    if (!shown.empty())
        lastShownAt_ = clock_();
    showLines(shown);
    // Not restarted for every chunk of a flood: when it fires early, quietTimePassed() sets
    // it for the rest.
    if (!quietTimer_.isActive())
        quietTimer_.start(ReceiveEngine::quietMs);
    if (waiting_ && waitIsOver())
        waiting_->quit();
}

void Receiver::showLines(const ReceiveEngine::Shown &shown)
{
    if (shown.empty())
        return;
    // Each piece: one line in lb2, and one in lbrx unless its answer part is blank; a running
    // recording gets them with the same time, in its file before they can be painted.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const ReceiveEngine::Lines &lines : shown) {
        appendAndShow(p_->w.lb2(), bytesOf(lines.commandLine), now);
        if (lines.answer)
            appendAndShow(p_->w.lbrx(), bytesOf(*lines.answer), now);
    }
    recordShown(*p_, now, shown);
}

void Receiver::finishBurst()
{
    quietTimer_.stop();
    if (burstHoldsPolling_) {
        burstHoldsPolling_ = false;
        ShowModemStatus(*p_);
        tmr1_.start();
    }
    if (waiting_ && waitIsOver())
        waiting_->quit();
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

std::int64_t Receiver::sinceMs(std::chrono::steady_clock::time_point t) const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - t).count();
}

void Receiver::poll()
{
    // Only a running poll ticks (a tick asked for while a sender or a burst holds it off, or
    // after the port closed, is none).
    if (!tmr1_.isActive())
        return;
    tmr1_.stop();
    if (const QByteArray waiting = take(From::Port); !waiting.isEmpty()) {
        add(waiting);
        // The burst keeps the poll off until it is shown.
        if (busy()) {
            burstHoldsPolling_ = true;
            return;
        }
    } else if (busy() && quietTimePassed()) {
        showLines(engine_.quiet());
    }
    ShowModemStatus(*p_);
    tmr1_.start();
    if (!busy())
        quietTimer_.stop();
}

void Receiver::bytesArrived()
{
    // Nothing being read and the poll off (a send's pause): they wait for the tick after it.
    // The port about to close: they wait for its close.
    if (closing_ || (!busy() && !tmr1_.isActive()))
        return;
    if (const QByteArray bytes = take(From::Port); !bytes.isEmpty())
        add(bytes);
}

void Receiver::quietTimeOver()
{
    if (busy() && !closing_) {
        if (!quietTimePassed())
            return;
        // Bytes the notifier has not reported yet still belong to this burst, and so do bytes
        // the system holds: a window busy for a moment must not take its own lateness for
        // the unit's pause.
        if (const QByteArray late = take(From::System); !late.isEmpty()) {
            add(late);
            return;
        }
        showLines(engine_.quiet());
    }
    finishBurst();
}

void Receiver::portLost()
{
    // What the port had read before it went is shown by the rules, as any burst; a channel
    // that can no longer hand it out has nothing left to give.
    try {
        for (QByteArray rest = take(From::Port); !rest.isEmpty(); rest = take(From::Port))
            add(rest);
    } catch (const std::exception &e) {
        qCDebug(lcReceive) << "nothing more to read from the lost port:" << e.what();
    }
    showLines(engine_.quiet());
    burstHoldsPolling_ = false;
    finishBurst();
}

void Receiver::closingAfterCommand()
{
    // What was taken before the command went out is shown; what comes after it is not.
    showLines(engine_.quiet());
    closing_ = true;
    quietTimer_.stop();
}

void Receiver::portClosing()
{
    // The port closes without reading on, so nothing more is shown; but every byte taken
    // off the line is on record.
    try {
        const QByteArray rest = take(From::System);
        if (!rest.isEmpty())
            qCDebug(lcReceive) << rest.size() << "bytes came while the port was closing; recorded, not shown";
    } catch (const std::exception &e) {
        qCDebug(lcReceive) << "nothing more to read from the closing port:" << e.what();
    }
    stopReading();
}

void Receiver::stopReading()
{
    // Also the end of a disconnect's closing, were a failure to cut it short before the close:
    // the next connection is heard.
    closing_ = false;
    engine_.quiet();
    burstHoldsPolling_ = false;
    quietTimer_.stop();
    if (waiting_)
        waiting_->quit();
}

void Receiver::beforeWrite(Line line)
{
    if (line != Line::Writes && line != Line::Key)
        return;
    // What came before the action is the answer to what went before it.
    takeWaiting();
    if (!reading())
        return;
    if (line == Line::Key) {
        waitFor(Until::LineEnd, keyWaitMs);
    } else {
        waitFor(Until::Pause, pauseWaitMs);
        if (reading())
            waitFor(Until::LineEnd, pauseWaitMs);
    }
    if (!reading() || p_->state.ending)
        return;
    // The unit goes on sending: the action goes at its line end. What has come by now goes
    // with what is shown, so none of it can be read as the answer to the action's command.
    if (const QByteArray late = take(From::System); !late.isEmpty())
        add(late);
    const qint64 sendingFor = sinceMs(burstSince_);
    qCInfo(lcReceive).noquote() << QStringLiteral("the unit has sent for %1 ms without a pause; its text is cut at its line end for the command")
                                       .arg(sendingFor);
    p_->recording.addMarker(QStringLiteral("Text der Einheit für einen Befehl am Zeilenende geteilt (keine Pause seit %1 ms)")
                                .arg(sendingFor));
    showLines(engine_.cutForCommand());
    lastShownAt_ = clock_();
}

void Receiver::takeWaiting()
{
    // Only where the poll would look: not in a pause, whose answer waits for the tick after
    // it. What the system holds counts too: read after the next command went out, it would
    // be taken for that command's answer.
    if (!busy() && !tmr1_.isActive())
        return;
    if (const QByteArray waiting = take(From::System); !waiting.isEmpty())
        add(waiting);
}

void Receiver::commandWritten(const QByteArray &command)
{
    engine_.commandWritten({command.constData(), std::size_t(command.size())});
    if (engine_.showsLineByLine())
        lineByLineSince_ = clock_();
}

bool Receiver::waitIsOver() const
{
    if (!reading())
        return true;
    if (waitingUntil_ == Until::Pause)
        return false;
    // A text cut at a line end that nothing has continued yet is at that line end.
    return engine_.atLineEnd() || engine_.awaitsContinuation() || engine_.lineEnds() > lineEndsBeforeWait_;
}

void Receiver::waitFor(Until until, int ms)
{
    TimedWait *outer = waiting_;
    const Until outerUntil = waitingUntil_;
    const std::uint64_t outerLineEnds = lineEndsBeforeWait_;
    waitingUntil_ = until;
    lineEndsBeforeWait_ = engine_.lineEnds();
    if (!waitIsOver()) {
        // As in a pause, not AllEvents: the input that is waiting for the unit stays queued,
        // in order, while the window repaints and the burst is read on.
        TimedWait wait(ms, TimedWait::Input::HeldBack);
        waiting_ = &wait;
        wait.exec();
    }
    waiting_ = outer;
    waitingUntil_ = outerUntil;
    lineEndsBeforeWait_ = outerLineEnds;
    if (waiting_ && waitIsOver())
        waiting_->quit();
}
