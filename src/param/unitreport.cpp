// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/unitreport.h"

#include "param/stopsignals.h"
#include "unit/parameters/parameterset.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <variant>

namespace {

// "F3: 0E28 → 0E3C (Vorlaufzeit)" of diff and write, "  F3: 0E28 → 0E3C  geschrieben und
// bestätigt" of a write's report.
const QRegularExpression &changeLine()
{
    static const QRegularExpression line(QStringLiteral("^(F[0-6]): ([0-9A-F]{4}) → ([0-9A-F]{4})(?: \\(.*\\))?$"));
    return line;
}
const QRegularExpression &reportLine()
{
    static const QRegularExpression line(QStringLiteral("^  (F[0-6]): ([0-9A-F]{4}) → ([0-9A-F]{4})  (.+)$"));
    return line;
}

QJsonObject change(const QRegularExpressionMatch &match)
{
    return {{QStringLiteral("parameter"), match.captured(1)},
            {QStringLiteral("unit"), match.captured(2)},
            {QStringLiteral("file"), match.captured(3)}};
}

} // namespace

QChar setAddress(const QString &setText)
{
    const auto parsed = parseParameterSet(setText);
    if (const ParameterSet *set = std::get_if<ParameterSet>(&parsed))
        if (set->value[0] && !set->value[0]->isEmpty())
            return set->value[0]->front();
    return QChar();
}

QByteArray unitReportJson(ParamOptions::Command command, const QString &port, int exitCode, int signal,
                          const QString &out, const QStringList &messages)
{
    QJsonObject report{{QStringLiteral("port"), port}, {QStringLiteral("exit"), exitCode}};
    report.insert(QStringLiteral("signal"),
                  signal == 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(QString::fromUtf8(StopSignals::describe(signal))));
    if (command == ParamOptions::Command::Read) {
        QJsonObject values;
        const auto parsed = parseParameterSet(out);
        if (const ParameterSet *set = std::get_if<ParameterSet>(&parsed); set && exitCode == 0)
            for (int n = 0; n < 7; ++n)
                if (set->value[std::size_t(n)])
                    values.insert(QStringLiteral("F%1").arg(n), *set->value[std::size_t(n)]);
        const QChar address = exitCode == 0 ? setAddress(out) : QChar();
        report.insert(QStringLiteral("address"), address.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(QString(address)));
        report.insert(QStringLiteral("values"), values);
    } else {
        QJsonArray changes;
        for (const QString &line : out.split(QLatin1Char('\n')))
            if (const QRegularExpressionMatch match = changeLine().match(line); match.hasMatch())
                changes << change(match);
        report.insert(QStringLiteral("changes"), changes);
        if (command == ParamOptions::Command::Write) {
            QJsonArray states;
            for (const QString &line : messages)
                if (const QRegularExpressionMatch match = reportLine().match(line); match.hasMatch()) {
                    QJsonObject state = change(match);
                    state.insert(QStringLiteral("state"), match.captured(4));
                    states << state;
                }
            report.insert(QStringLiteral("report"), states);
        }
    }
    report.insert(QStringLiteral("messages"), QJsonArray::fromStringList(messages));
    return QJsonDocument(report).toJson(QJsonDocument::Compact);
}
