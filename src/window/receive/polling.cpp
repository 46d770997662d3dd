// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/polling.h"

#include "unit/cp1252.h"
#include "unit/logging.h"
#include "unit/protocol/receiveengine.h"
#include "unit/line/serialchannel.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/lamps.h"
#include "window/receive/receiver.h"
#include "window/recording/recordinghandlers.h"

#include <QDateTime>

#include <optional>
#include <string_view>
#include <utility>

namespace {
// The command line, baud text and flag at the moment lines may come out.
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

// Each piece: one line in lb2, and one in lbrx unless its answer part is blank; a running
// recording gets them with the same time, in its file before they can be painted.
void show(Program &p, const ReceiveEngine::Shown &shown)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const ReceiveEngine::Lines &lines : shown) {
        appendAndShow(p.w.lb2(), bytesOf(lines.commandLine), now);
        if (lines.answer)
            appendAndShow(p.w.lbrx(), bytesOf(*lines.answer), now);
    }
    recordShown(p, now, shown);
}

void finishTick(Program &p)
{
    ShowModemStatus(p);
    p.receiver.startPolling();
}

void closeBurst(Program &p, bool split)
{
    ReceiveEngine &engine = p.receiver.engine;
    const Moment now(p);
    show(p, split ? engine.splitForAction(now.context()) : engine.quiet(now.context()));
    p.receiver.close(split);
    finishTick(p);
}

void addBytes(Program &p, const QByteArray &bytes)
{
    ReceiveEngine &engine = p.receiver.engine;
    const ReceiveEngine::Shown shown = engine.add({bytes.constData(), std::size_t(bytes.size())}, Moment(p).context());
    if (!shown.empty())
        qCDebug(lcReceive) << "text without a pause shown in pieces of" << ReceiveEngine::pieceBytes << "bytes";
    show(p, shown);
    p.receiver.bytesTaken();
    if (p.receiver.listener)
        p.receiver.listener(bytes);
}

// Opens a burst with `waiting`; false when it is empty.
bool openBurstWith(Program &p, const QByteArray &waiting)
{
    if (waiting.isEmpty())
        return false;
    // The poll timer stays off until the burst is shown: it is the guard that keeps
    // reading and writing apart.
    p.receiver.stopPolling();
    addBytes(p, waiting);
    return true;
}

// Opens a burst with what is waiting; false when nothing is.
bool openBurstIfWaiting(Program &p)
{
    return openBurstWith(p, p.channel.takeAvailable());
}

// Nothing has come since a split for the quiet time: the split text is over.
void endContinuation(Program &p)
{
    show(p, p.receiver.engine.quiet(Moment(p).context()));
    p.receiver.close(false);
}
} // namespace

void tmr1_Timer(Program &p)
{
    PollReceive(p);
}

void PollReceive(Program &p)
{
    p.receiver.stopPolling();
    if (openBurstIfWaiting(p))
        return;
    if (p.receiver.engine.awaitsContinuation() && p.receiver.quietTimePassed())
        endContinuation(p);
    finishTick(p);
}

void burst_BytesArrived(Program &p)
{
    if (!p.receiver.isOpen()) {
        // Polling and nothing open: the poll need not wait for its next tick to find them.
        // With the poll timer off (a send's pause) they wait for the tick after it.
        if (p.receiver.isPolling())
            openBurstIfWaiting(p);
        return;
    }
    const QByteArray bytes = p.channel.takeAvailable();
    if (!bytes.isEmpty())
        addBytes(p, bytes);
}

void burst_Quiet(Program &p)
{
    ReceiveEngine &engine = p.receiver.engine;
    if (engine.isOpen()) {
        if (!p.receiver.quietTimePassed())
            return;
        // Bytes the notifier has not reported yet still belong to this burst.
        const QByteArray late = p.channel.takeAvailable();
        if (!late.isEmpty()) {
            addBytes(p, late);
            return;
        }
        closeBurst(p, false);
        return;
    }
    // After a split for a user's action: only while polling may the line be looked at;
    // in a pause the bytes wait for the tick after it.
    if (!engine.awaitsContinuation() || !p.receiver.isPolling() || !p.receiver.quietTimePassed())
        return;
    if (!openBurstIfWaiting(p))
        endContinuation(p);
}

void closeBurstWithoutPort(Program &p)
{
    // What the port had read before it went is shown by the rules, as any burst; a channel
    // that can no longer hand it out has nothing left to give.
    try {
        for (QByteArray rest = p.channel.takeAvailable(); !rest.isEmpty(); rest = p.channel.takeAvailable())
            addBytes(p, rest);
    } catch (const std::exception &e) {
        qCDebug(lcReceive) << "nothing more to read from the lost port:" << e.what();
    }
    show(p, p.receiver.engine.quiet(Moment(p).context()));
    p.receiver.close(false);
}

void takeReceivedBeforeInput(Program &p)
{
    // Only where the poll would look: while it runs, or into the burst it opened. An answer
    // that came in a command's pause is still waiting when a click queued behind that pause
    // is handled, before the first tick; read after the click's command went out, it would
    // be taken for that command's answer.
    if (p.receiver.isOpen()) {
        if (const QByteArray more = p.channel.takeAllReceived(); !more.isEmpty())
            addBytes(p, more);
        return;
    }
    if (p.receiver.isPolling())
        openBurstWith(p, p.channel.takeAllReceived());
}

void finishBurstForInput(Program &p, int waitMs)
{
    if (!p.receiver.isOpen())
        return;
    p.receiver.waitForTextEnd(waitMs);
    if (!p.receiver.isOpen() || p.state.ending)
        return;
    // The unit goes on sending: what has come is shown and the user acts; the rest follows
    // as a continuation. At a line end the text it was sending is complete and the split
    // lies there; otherwise everything received by now goes with what is shown, so none of
    // it can be read with the answer to the action's command.
    if (!p.receiver.engine.atLineEnd()) {
        qCDebug(lcReceive) << "the unit is still sending (waited at most" << waitMs
                           << "ms); the text is split for a user's action";
        const QByteArray late = p.channel.takeAllReceived();
        if (!late.isEmpty())
            addBytes(p, late);
    }
    closeBurst(p, true);
}
