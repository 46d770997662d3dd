#include "serial/connection.h"

#include "serial/serialchannel.h"
#include "shared/errors.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams.h"
#include "ui/mainwindow.h"

#include <array>

namespace {
constexpr int kDisconnectPauseMs = 275;

// The thirteen buttons that only work with an open port, in the order the connect enables them.
std::array<QPushButton *, 13> commandButtonsInConnectOrder(MainWindow &w)
{
    return {w.cmdSendentx, w.cmdVersion, w.cmdF0, w.cmdF1, w.cmdF2, w.cmdF3, w.cmdF4,
            w.cmdF5, w.cmdF6, w.cmdTR1, w.cmdTR2, w.cmdFMS, w.cmd5Ton};
}
std::array<QPushButton *, 13> commandButtonsInDisconnectOrder(MainWindow &w)
{
    return {w.cmdF0, w.cmdF1, w.cmdF2, w.cmdF3, w.cmdF4, w.cmdF5, w.cmdF6,
            w.cmdVersion, w.cmdTR1, w.cmdTR2, w.cmdFMS, w.cmd5Ton, w.cmdSendentx};
}
} // namespace

QString openFailureMessage(const QString &portName)
{
    return QStringLiteral("Serielle Schnittstelle\r") + portName
           + QStringLiteral("\rist nicht vorhanden, oder wird von \reiner anderen Anwendung benutzt!\r\rProgramm neu starten!");
}

void cmdEIN_MouseDown(Program &p)
{
    MainWindow &w = p.w;
    p.state.PortName = w.cbCOM->currentText();
    p.state.BaudText = w.cbbaud->currentText();
    p.state.AddressDigit = w.cbAdr->currentText();
    w.lbl1->setText(QLatin1Char('(') + w.cbAdr->currentText() + QStringLiteral(") ") + p.state.PortName
                    + QLatin1Char(':') + p.state.BaudText + QStringLiteral(",n,8,1"));
}

void cmdEIN_MouseUp(Program &p)
{
    MainWindow &w = p.w;
    w.cmdEIN->setEnabled(false);
    w.cmdAUS->setEnabled(true);
    OpenPort(p);
    w.tmr1.start();
    for (QPushButton *button : commandButtonsInConnectOrder(w))
        button->setEnabled(true);
}

void OpenPort(Program &p)
{
    try {
        p.channel.open(PortSettings{p.state.PortName, p.state.BaudText});
        p.w.cbAdr->setEnabled(false);
        p.w.cbCOM->setEnabled(false);
        p.w.cbbaud->setEnabled(false);
    } catch (const std::exception &) {
        // The port's own message, then the end: nothing else may run, not even the rest of
        // the connect handler, so leave by an exception the dispatch knows.
        endWithMessage(p, openFailureMessage(p.state.PortName));
        throw ProgramEnding();
    }
}

void cmdAUS_MouseDown(Program &p)
{
    MainWindow &w = p.w;
    w.cmdAUS->setEnabled(false);
    w.cmdEIN->setEnabled(true);
    for (QPushButton *button : commandButtonsInDisconnectOrder(w))
        button->setEnabled(false);
    w.tmr1.stop();
    w.cbAdr->setEnabled(true);
    w.cbCOM->setEnabled(true);
    w.cbbaud->setEnabled(true);
}

void cmdAUS_MouseUp(Program &p)
{
    // The unit's disconnect always goes to the broadcast address "S".
    p.channel.write(QByteArrayLiteral("$RSQ"));
    p.pause.pause(kDisconnectPauseMs);
    p.channel.close();
}
