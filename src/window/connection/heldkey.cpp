// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/heldkey.h"

#include "unit/logging.h"
#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "window/connection/connection.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "window/seams.h"

void keyPressSent(Program &p, int key)
{
    p.state.keyHeld = ProgramState::HeldKey{key, p.state.AddressDigit};
}

void sendKeyRelease(Program &p, const QString &addressDigit)
{
    p.w.ed1()->setText(protocol::keyRelease(addressDigit));
    SendCommandLine(p);
    // Only a release that went out lets go of the key: a write that failed leaves it owed.
    p.state.keyHeld.reset();
}

void sendOwedKeyRelease(Program &p)
{
    if (!p.state.keyHeld || !isConnected(p) || p.state.ending)
        return;
    // Written at once, the release would meet a line the unit had waiting (a stale answer)
    // and the two would come back as one burst. So first a pause, polling off, for what was
    // on its way; then it is read as the poll would, and shown once it has ended.
    const unsigned lossesBefore = p.state.linesLost;
    p.receiver.stopPolling();
    p.pause.pause(protocol::settleMs);
    p.receiver.startPolling();
    p.receiver.beforeWrite(Line::Writes);
    // Lost meanwhile (the release then stays owed), or sent by the reconnect of that loss.
    if (!p.state.keyHeld || !isConnected(p) || p.state.ending || p.state.linesLost != lossesBefore)
        return;
    qCDebug(lcSerial).noquote() << QStringLiteral("the release of TR%1, owed since the line was lost, goes out first")
                                       .arg(p.state.keyHeld->key);
    sendKeyRelease(p, p.state.keyHeld->addressDigit);
}

QString heldKeyNote(const Program &p)
{
    if (!p.state.keyHeld)
        return QString();
    return QStringLiteral("Taste TR") + QString::number(p.state.keyHeld->key)
           + QStringLiteral(" war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet.");
}
