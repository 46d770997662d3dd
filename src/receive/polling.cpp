#include "receive/polling.h"

#include "receive/burst.h"
#include "receive/burstreader.h"
#include "receive/lamps.h"
#include "serial/serialchannel.h"
#include "shared/cp1252.h"
#include "shared/logging.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

namespace {
void appendAndShow(LineView *list, const QByteArray &line)
{
    list->addLine(line);
    list->setCurrentLine(list->count() - 1);
}

// Shows what has been read of the burst: one line in lb2, and one in lbrx unless the
// answer part is blank. The rules that skip the echoed command apply at the start of a
// text; a continuation is shown whole, from its first byte.
void showPiece(Program &p)
{
    MainWindow &w = p.w;
    const QByteArray &received = p.state.ReceivedText;
    if (received.isEmpty())
        return;
    const QString commandLine = w.ed1->text();
    std::optional<QByteArray> answer;
    if (p.burst.continues()) {
        p.state.DisplayStart = 1;
        answer = received;
    } else {
        const BurstLines lines = processBurst(received, commandLine, p.state.BaudText, p.state.ButtonCommandFlag);
        p.state.DisplayStart = lines.displayStart;
        answer = lines.answer;
    }
    appendAndShow(w.lb2, cp1252::encode(commandLine).value_or(commandLine.toLatin1()));
    if (answer)
        appendAndShow(w.lbrx, *answer);
}

void finishTick(Program &p)
{
    ShowModemStatus(p);
    p.w.tmr1.start();
}

void closeBurst(Program &p, bool split)
{
    showPiece(p);
    p.burst.close(split);
    finishTick(p);
}

// Adds bytes under the reading rule; a text that reaches the byte limit without a pause
// is shown piece by piece, so memory stays bounded and nothing is dropped.
void addBytes(Program &p, const QByteArray &bytes)
{
    QByteArray &burst = p.state.ReceivedText;
    for (const char c : bytes) {
        // Only the very first byte of a text is kept when it is a CR or LF.
        if (c != '\r' && c != '\n')
            burst.append(c);
        else if (burst.isEmpty() && !p.burst.continues())
            burst.append(c);
        if (burst.size() >= kBurstByteLimit) {
            qCDebug(lcReceive) << "text without a pause shown in pieces of" << kBurstByteLimit << "bytes";
            showPiece(p);
            p.burst.pieceShown();
            burst.clear();
        }
    }
    p.burst.bytesAdded();
}

// Opens a burst with what is waiting; false when nothing is.
bool openBurstIfWaiting(Program &p)
{
    const QByteArray waiting = p.channel.takeAvailable();
    if (waiting.isEmpty())
        return false;
    // The poll timer stays off until the burst is shown: it is the guard that keeps
    // reading and writing apart.
    p.w.tmr1.stop();
    p.state.ReceivedText.clear();
    p.burst.open();
    addBytes(p, waiting);
    return true;
}
} // namespace

void tmr1_Timer(Program &p)
{
    PollReceive(p);
}

void PollReceive(Program &p)
{
    p.w.tmr1.stop();
    if (openBurstIfWaiting(p))
        return;
    // A whole tick without a byte: what comes next is a text of its own.
    p.burst.lineQuiet();
    finishTick(p);
}

void burst_BytesArrived(Program &p)
{
    if (!p.burst.isOpen()) {
        // Polling and nothing open: the poll need not wait for its next tick to find them.
        // With the poll timer off (a send's pause) they wait for the tick after it.
        if (p.w.tmr1.isActive())
            openBurstIfWaiting(p);
        return;
    }
    const QByteArray bytes = p.channel.takeAvailable();
    if (!bytes.isEmpty())
        addBytes(p, bytes);
}

void burst_Quiet(Program &p)
{
    if (!p.burst.isOpen())
        return;
    // Bytes the notifier has not reported yet still belong to this burst.
    const QByteArray late = p.channel.takeAvailable();
    if (!late.isEmpty()) {
        addBytes(p, late);
        return;
    }
    closeBurst(p, false);
}

void closeBurstWithoutPort(Program &p)
{
    // What the port had read before it was lost (an answer that came during a command's
    // pause, say) belongs to the open burst, or is a burst of its own.
    const QByteArray rest = p.channel.takeAvailable();
    if (!rest.isEmpty()) {
        if (!p.burst.isOpen()) {
            p.state.ReceivedText.clear();
            p.burst.open();
        }
        addBytes(p, rest);
    }
    if (p.burst.isOpen())
        showPiece(p);
    p.burst.close(false);
}

void finishBurstForInput(Program &p)
{
    if (!p.burst.isOpen())
        return;
    p.burst.waitForClose(BurstReader::kInputWaitMs);
    if (!p.burst.isOpen() || p.state.ending)
        return;
    // The unit is still sending: show what has come so far and let the user act; the rest
    // follows as a continuation.
    qCDebug(lcReceive) << "the unit is still sending after" << BurstReader::kInputWaitMs
                       << "ms; the text is split for a user's action";
    const QByteArray late = p.channel.takeAvailable();
    if (!late.isEmpty())
        addBytes(p, late);
    closeBurst(p, true);
}
