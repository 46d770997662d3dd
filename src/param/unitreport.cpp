// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/unitreport.h"

#include "param/stopsignals.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject change(int n, const QString &unitValue, const QString &fileValue)
{
    return {{QStringLiteral("parameter"), QStringLiteral("F%1").arg(n)},
            {QStringLiteral("unit"), unitValue},
            {QStringLiteral("file"), fileValue}};
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

} // namespace

QString stateWord(const PlannedWrite &p)
{
    using State = PlannedWrite::State;
    switch (p.state) {
    case State::Confirmed: return QStringLiteral("geschrieben und bestätigt");
    case State::NotTaken: return QStringLiteral("geschrieben, nicht übernommen (zurückgelesen %1)").arg(p.readBack);
    case State::Unknown:
        return p.newRate ? QStringLiteral("geschrieben, nicht bestätigt (Zustand unbekannt): neue Baudrate, nicht zurückgelesen")
                         : QStringLiteral("geschrieben, nicht bestätigt (Zustand unbekannt)");
    case State::NotWritten: break;
    }
    return p.leftOut ? QStringLiteral("nicht geschrieben (nur mit --include-line-settings)")
                     : QStringLiteral("nicht geschrieben");
}

QByteArray unitReportJson(const UnitResult &result)
{
    QJsonObject report{{QStringLiteral("port"), result.port}, {QStringLiteral("exit"), result.exitCode}};
    report.insert(QStringLiteral("signal"),
                  orNull(result.signal == 0 ? QString() : QString::fromUtf8(StopSignals::describe(result.signal))));
    if (result.command == ParamOptions::Command::Read) {
        QJsonObject values;
        const bool read = result.exitCode == 0 && result.values;
        if (read)
            for (std::size_t n = 0; n < result.values->value.size(); ++n)
                if (const auto &value = result.values->value[n])
                    values.insert(QStringLiteral("F%1").arg(n), *value);
        const QChar address = read ? result.address() : QChar();
        report.insert(QStringLiteral("address"), orNull(address.isNull() ? QString() : QString(address)));
        report.insert(QStringLiteral("values"), values);
    } else {
        QJsonArray changes;
        for (const SetChange &c : result.changes)
            changes << change(c.n, c.unitValue, c.fileValue);
        report.insert(QStringLiteral("changes"), changes);
        if (result.command == ParamOptions::Command::Write) {
            QJsonArray states;
            if (result.reportShown)
                for (const PlannedWrite &p : result.plan) {
                    QJsonObject state = change(p.n, p.unitValue, p.fileValue);
                    state.insert(QStringLiteral("state"), stateWord(p));
                    states << state;
                }
            report.insert(QStringLiteral("report"), states);
        }
    }
    report.insert(QStringLiteral("messages"), QJsonArray::fromStringList(result.messages));
    return QJsonDocument(report).toJson(QJsonDocument::Compact);
}

QString unitReportsJson(const std::vector<UnitResult> &results)
{
    QStringList objects;
    for (const UnitResult &result : results)
        objects << QString::fromUtf8(unitReportJson(result));
    return QStringLiteral("[\n  ") + objects.join(QStringLiteral(",\n  ")) + QStringLiteral("\n]\n");
}
