// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/heldkey.h"

#include "unit/conversation/conversation.h"
#include "unit/logging.h"
#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "window/connection/connection.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/actions.h"

void keyPressSent(Program &p, int key)
{
    p.state.keyHeld = ProgramState::HeldKey{key, p.state.AddressDigit};
}

void sendKeyRelease(Program &p, const QString &addressDigit)
{
    p.w.ed1()->setText(protocol::keyRelease(addressDigit));
    // Only a release that went out lets go of the key: a write that failed leaves it owed.
    SendCommandLine(p, [](Program &program) { program.state.keyHeld.reset(); });
}

void sendOwedKeyRelease(Program &p)
{
    if (!p.state.keyHeld || !isConnected(p) || p.state.ending)
        return;
    // Written at once, the release would meet a line the unit had waiting (a stale answer)
    // and the two would come back as one burst. So first a pause, nothing read, for what was
    // on its way; what came is then taken and shown once it has ended, and the release goes
    // after the unit's pause, as a command would.
    Conversation::Request settle;
    settle.pauseMs = protocol::settleMs;
    p.conversation.submit(std::move(settle));
    const unsigned lossesBefore = p.state.linesLost;
    p.actions.run([lossesBefore](Program &program) {
        // Sent meanwhile by the reconnect of a loss, or lost again (the release stays owed).
        if (!program.state.keyHeld || program.state.linesLost != lossesBefore)
            return;
        qCDebug(lcSerial).noquote() << QStringLiteral("the release of TR%1, owed since the line was lost, goes out first")
                                           .arg(program.state.keyHeld->key);
        sendKeyRelease(program, program.state.keyHeld->addressDigit);
    }, Line::Writes);
}

QString heldKeyNote(const Program &p)
{
    if (!p.state.keyHeld)
        return QString();
    return QStringLiteral("Taste TR") + QString::number(p.state.keyHeld->key)
           + QStringLiteral(" war gedrückt; die Freigabe wird beim nächsten Verbinden gesendet.");
}
