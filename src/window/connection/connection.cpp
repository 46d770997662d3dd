// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/connection.h"

#include "unit/conversation/conversation.h"
#include "unit/errors.h"
#include "unit/logging.h"
#include "unit/protocol/protocol.h"
#include "unit/line/serialchannel.h"
#include "widgets/mainwindow.h"
#include "window/connection/connectionstate.h"
#include "window/connection/heldkey.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"
#include "window/recording/recordinghandlers.h"
#include "window/seams.h"

QString lostPortMessage(const QString &portName, int number)
{
    return QStringLiteral("Die Verbindung zu ") + portName + QStringLiteral(" ist unterbrochen (Fehler ")
           + QString::number(number) + QStringLiteral(").");
}

QString waitingForPortMessage(const QString &portName)
{
    return QStringLiteral("Warte auf ") + portName + QStringLiteral(" \u2026");
}

bool isConnected(const Program &p)
{
    return p.conversation.isOpen();
}

void cmdEIN_MouseDown(Program &p)
{
    MainWindow &w = p.w;
    p.state.PortName = w.cbCOM()->currentText();
    p.state.BaudText = w.cbbaud()->currentText();
    p.state.AddressDigit = w.cbAdr()->currentText();
    w.lbl1()->setText(QLatin1Char('(') + w.cbAdr()->currentText() + QStringLiteral(") ") + p.state.PortName
                    + QLatin1Char(':') + p.state.BaudText + QStringLiteral(",n,8,1"));
}

void cmdEIN_MouseUp(Program &p)
{
    // The two connection buttons switch before the port is tried; a refused port ends the
    // program with the window in that state.
    p.w.cmdEIN()->setEnabled(false);
    p.w.cmdAUS()->setEnabled(true);
    OpenPort(p);
    ++p.state.connections;
    setConnected(p.w, true);
    recordConnected(p);
    sendOwedKeyRelease(p);
}

void OpenPort(Program &p)
{
    try {
        p.conversation.open(PortSettings{p.state.PortName, p.state.BaudText});
    } catch (const PortOpenError &e) {
        // Before the box, which may end the program: the recording says why it stays unconnected.
        recordRefusedConnect(p, e);
        throw;
    }
}

void reportLostPort(Program &p, const PortLostError &error)
{
    // One state change, before the box: the loss counted, the disconnected set and the
    // timer off as after "Trennen", the port closed. Nothing is written. The box, being
    // modal, drops a press that is still held, so its release does nothing.
    ++p.state.linesLost;
    cmdAUS_MouseDown(p);
    p.conversation.close();
    recordLineLost(p, error);
    const QString details = QString::fromStdString(error.what());
    QString text = lostPortMessage(p.state.PortName, error.number());
    if (const QString held = heldKeyNote(p); !held.isEmpty())
        text += QLatin1Char('\r') + held;
    if (!p.box.askToWaitForPort(text, details))
        return;
    const PortSettings settings{p.state.PortName, p.state.BaudText};
    const bool back = p.box.waitForPort(waitingForPortMessage(p.state.PortName), [&p, &settings] {
        try {
            p.conversation.open(settings);
            return true;
        } catch (const std::exception &e) {
            qCDebug(lcSerial) << "still waiting for" << settings.portName << ":" << e.what();
            return false;
        }
    });
    if (!back || p.state.ending)
        return;
    ++p.state.connections;
    // Connected as the connect button does it, with the settings of the last connect. A key
    // release the line owes goes out next, through the guarded dispatch.
    setConnected(p.w, true);
    recordReconnected(p);
}

void cmdAUS_MouseDown(Program &p)
{
    p.conversation.prepareToClose();
    setConnected(p.w, false);
}

void cmdAUS_MouseUp(Program &p)
{
    // The unit's disconnect always goes to every unit, whatever the address digit. What the
    // unit sends in its pause is taken for the recording, not shown; then the port closes.
    Conversation::Request disconnect;
    disconnect.bytes = protocol::bytes(protocol::disconnect());
    disconnect.pauseMs = protocol::sendPauseMs;
    disconnect.writing = [&p] { p.receiver.closingAfterCommand(); };
    disconnect.done = [&p](const Conversation::Reply &reply) {
        if (reply.dropped)
            return;
        p.conversation.close();
        recordDisconnected(p);
    };
    p.conversation.submit(std::move(disconnect));
}
