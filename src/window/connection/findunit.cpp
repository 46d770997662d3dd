// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/connection/findunit.h"

#include "unit/conversation/conversation.h"
#include "unit/line/portname.h"
#include "unit/line/qtserialchannel.h"
#include "unit/line/systemports.h"
#include "unit/protocol/protocol.h"
#include "unit/search/unitsearch.h"
#include "widgets/mainwindow.h"
#include "widgets/unitsearchdialog.h"
#include "window/actions.h"
#include "window/connection/connection.h"
#include "window/program.h"
#include "window/programstate.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

namespace {

// The device behind a port name, links followed, so that two names of one port are one.
QString deviceOf(const QString &port)
{
    const QString device = systemPortName(port);
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

bool isOnBoard(const QString &port)
{
    return systemPortName(port).startsWith(QLatin1String("/dev/ttyS"));
}

void selectText(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
    else if (box->isEditable())
        box->setEditText(text);
}

// The chosen unit's port, rate and address into the window's boxes, and the dialog closes.
void takeUnit(Program &p, UnitSearchDialog &d, const search::PortOutcome &unit)
{
    MainWindow &w = p.w;
    w.cbCOM()->setEditText(unit.port);
    selectText(w.cbbaud(), unit.rate);
    // A unit whose F0 did not answer is addressed as S, which every unit answers: the
    // digit left in the box from before would address another unit.
    selectText(w.cbAdr(), unit.address.isNull() ? QString(QChar(protocol::everyUnit)) : QString(unit.address));
    d.accept();
}

} // namespace

QStringList offeredPorts(const QStringList &adapters, const QString &typed)
{
    QStringList ports = adapters;
    const QString port = typed.trimmed();
    if (!port.isEmpty() && !isOnBoard(port) && !ports.contains(port) && !ports.contains(systemPortName(port)))
        ports << port;
    return ports;
}

UnitSearchDialog *unitSearchDialog(const Program &p)
{
    return p.w.findChild<UnitSearchDialog *>(QStringLiteral("unitSearchDialog"), Qt::FindDirectChildrenOnly);
}

void showUnitSearch(Program &p)
{
    UnitSearchDialog *d = unitSearchDialog(p);
    if (!d) {
        d = new UnitSearchDialog(&p.w);
        QObject::connect(d, &UnitSearchDialog::searchAsked, d, [&p] { p.actions.run(startUnitSearch, Line::NotNeeded); });
        QObject::connect(d, &UnitSearchDialog::chooseAsked, d, [&p] { p.actions.run(takeUnitSearchChoice, Line::NotNeeded); });
    }
    if (!d->isSearching() && !d->isDisconnecting()) {
        d->offerPorts(offeredPorts(search::adapterPorts(systemPorts()), p.w.cbCOM()->currentText()));
        d->clearResults();
    }
    d->setWindowConnected(isConnected(p));
    d->show();
    d->raise();
    d->activateWindow();
}

void startUnitSearch(Program &p)
{
    UnitSearchDialog *d = unitSearchDialog(p);
    if (!d || d->isSearching() || d->ports().isEmpty())
        return;
    const QStringList ports = d->ports();
    // The window's own port is open and locked: it is named, never opened a second time.
    QStringList held;
    if (isConnected(p)) {
        const QString own = deviceOf(p.state.PortName);
        for (const QString &port : ports)
            if (deviceOf(port) == own)
                held << port;
    }
    auto *unitSearch = new search::UnitSearch(ports, [] { return std::make_unique<QtSerialChannel>(); }, {}, held, d);
    QObject::connect(unitSearch, &search::UnitSearch::finished, unitSearch, &QObject::deleteLater);
    d->follow(unitSearch);
    unitSearch->start();
}

void takeUnitSearchChoice(Program &p)
{
    UnitSearchDialog *d = unitSearchDialog(p);
    if (!d || d->isDisconnecting())
        return;
    const std::optional<search::PortOutcome> unit = d->chosenUnit();
    if (!unit)
        return;
    if (!isConnected(p)) {
        takeUnit(p, *d, *unit);
        return;
    }
    // „Trennen und übernehmen“: the boxes hold the connected port's settings until it is
    // closed. The disconnect goes as its button's press and release do, through the dispatch;
    // the port closes after the disconnect's pause, and only then is the unit taken.
    d->setDisconnecting(true);
    auto *waiting = new QObject(d);
    const auto takeOnceClosed = [&p, d, waiting, chosen = *unit] {
        if (!d->isDisconnecting() || (isConnected(p) && !p.conversation.isIdle()))
            return;
        waiting->deleteLater();
        d->setDisconnecting(false);
        d->setWindowConnected(isConnected(p));
        if (isConnected(p)) {
            d->showStatus(QStringLiteral("Das Fenster ist noch verbunden: nichts übernommen."));
            return;
        }
        takeUnit(p, *d, chosen);
    };
    QObject::connect(&p.conversation, &Conversation::becameIdle, waiting, [takeOnceClosed] { takeOnceClosed(); },
                     Qt::QueuedConnection);
    p.actions.run(cmdAUS_MouseDown, Line::Needed);
    p.actions.run(cmdAUS_MouseUp, Line::Writes);
}
