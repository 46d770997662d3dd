// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/heldkey.h"

#include "unit/logging.h"
#include "unit/protocol.h"
#include "widgets/mainwindow.h"
#include "window/connection/connection.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"

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
