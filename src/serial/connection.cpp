#include "serial/connection.h"

#include "serial/serialchannel.h"
#include "shared/errors.h"
#include "shared/logging.h"
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

QString lostPortMessage(const QString &portName, int number)
{
    return QStringLiteral("Die Verbindung zu ") + portName + QStringLiteral(" ist unterbrochen (Fehler ")
           + QString::number(number) + QStringLiteral(").");
}

QString waitingForPortMessage(const QString &portName)
{
    return QStringLiteral("Warte auf ") + portName + QStringLiteral(" \u2026");
}

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

namespace {
void disableSettings(MainWindow &w)
{
    w.cbAdr->setEnabled(false);
    w.cbCOM->setEnabled(false);
    w.cbbaud->setEnabled(false);
}

void pollAndEnableCommands(Program &p)
{
    p.w.tmr1.start();
    for (QPushButton *button : commandButtonsInConnectOrder(p.w))
        button->setEnabled(true);
}
} // namespace

void cmdEIN_MouseUp(Program &p)
{
    MainWindow &w = p.w;
    w.cmdEIN->setEnabled(false);
    w.cmdAUS->setEnabled(true);
    OpenPort(p);
    pollAndEnableCommands(p);
}

void OpenPort(Program &p)
{
    p.channel.open(PortSettings{p.state.PortName, p.state.BaudText});
    disableSettings(p.w);
}

void ReportLostPort(Program &p, const PortLostError &error)
{
    cmdAUS_MouseDown(p);
    p.channel.close();
    const QString details = QString::fromStdString(error.what());
    if (!p.box.askToWaitForPort(lostPortMessage(p.state.PortName, error.number()), details))
        return;
    const PortSettings settings{p.state.PortName, p.state.BaudText};
    const bool back = p.box.waitForPort(waitingForPortMessage(p.state.PortName), [&p, &settings] {
        try {
            p.channel.open(settings);
            return true;
        } catch (const std::exception &e) {
            qCDebug(lcSerial) << "still waiting for" << settings.portName << ":" << e.what();
            return false;
        }
    });
    if (!back || p.state.ending)
        return;
    // Connected as the connect button does it, with the settings of the last connect.
    MainWindow &w = p.w;
    w.cmdEIN->setEnabled(false);
    w.cmdAUS->setEnabled(true);
    disableSettings(w);
    pollAndEnableCommands(p);
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
