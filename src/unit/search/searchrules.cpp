// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/search/searchrules.h"

#include "unit/parameters/parameterset.h"
#include "unit/protocol/protocol.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace search {

namespace {
constexpr int asked = 0;   // F0
} // namespace

QStringList rates()
{
    return {QStringLiteral("19200"), QStringLiteral("4800")};
}

QByteArray versionRequest()
{
    return protocol::bytes(protocol::version(QString(QChar(protocol::everyUnit))));
}

QByteArray addressRequest()
{
    return protocol::bytes(protocol::readParameter(QString(QChar(protocol::everyUnit)), asked));
}

QChar addressFromF0(const QString &value)
{
    return value.isEmpty() ? QChar() : value.front().toUpper();
}

QString noUnitReason(const QByteArray &heard)
{
    QString reason = QStringLiteral("keine Antwort mit 19200 und mit 4800 Baud");
    if (!heard.isEmpty())
        reason += QStringLiteral("; es kam nur anderer Text: %1").arg(quotedBytes(heard.left(24)));
    return reason;
}

QString rateRemark(const QString &rate, bool echoed)
{
    if (echoed == protocol::echoesCommand(rate))
        return QString();
    return echoed ? QStringLiteral("die Einheit sendet den Befehl bei %1 Baud zurück, wie sonst nur bei 4800").arg(rate)
                  : QStringLiteral("die Einheit sendet den Befehl bei %1 Baud nicht zurück").arg(rate);
}

QString outcomeLine(const PortOutcome &outcome)
{
    using Kind = PortOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Found: {
        QString line = QStringLiteral("%1: %2 Baud, Adresse %3, Version %4")
                           .arg(outcome.port, outcome.rate,
                                outcome.address.isNull() ? QStringLiteral("unbekannt (F0 ohne Antwort)")
                                                         : QString(outcome.address),
                                quoted(outcome.version));
        if (!outcome.reason.isEmpty())
            line += QStringLiteral(" (%1)").arg(outcome.reason);
        return line;
    }
    case Kind::NoUnit: return QStringLiteral("%1: keine Einheit gefunden (%2)").arg(outcome.port, outcome.reason);
    case Kind::Busy: return QStringLiteral("%1: übersprungen, belegt (%2)").arg(outcome.port, outcome.reason);
    case Kind::Unusable: return QStringLiteral("%1: nicht nutzbar (%2)").arg(outcome.port, outcome.reason);
    }
    return QString();
}

QByteArray outcomeJson(const PortOutcome &outcome)
{
    const bool found = outcome.kind == PortOutcome::Kind::Found;
    QJsonObject object{{QStringLiteral("port"), outcome.port}, {QStringLiteral("found"), found},
                       {QStringLiteral("busy"), outcome.kind == PortOutcome::Kind::Busy}};
    if (found) {
        object.insert(QStringLiteral("baud"), outcome.rate.toInt());
        object.insert(QStringLiteral("address"),
                      outcome.address.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString(outcome.address)));
        object.insert(QStringLiteral("version"), outcome.version);
    }
    object.insert(QStringLiteral("reason"), outcome.reason);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QStringList adapterPorts(const QList<FoundPort> &system)
{
    static const QRegularExpression adapter(QStringLiteral("^/dev/tty(USB|ACM)[0-9]+$"));
    QStringList ports;
    for (const FoundPort &port : system)
        if (adapter.match(port.name).hasMatch() && !ports.contains(port.name))
            ports << port.name;
    return ports;
}

QString heldByUsReason(const QString &port)
{
    return QStringLiteral("%1 ist in diesem Fenster verbunden").arg(port);
}

} // namespace search
