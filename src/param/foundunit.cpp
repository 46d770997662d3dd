// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/foundunit.h"

#include "param/console.h"
#include "unit/protocol/protocol.h"

#include <QTimer>

namespace {

QString everyLine(const QList<search::PortOutcome> &outcomes)
{
    QString lines;
    for (const search::PortOutcome &outcome : outcomes)
        lines += QStringLiteral("\n  ") + search::outcomeLine(outcome);
    return lines;
}

} // namespace

FoundUnit chooseFoundUnit(const ParamOptions &options, const QList<search::PortOutcome> &outcomes)
{
    QList<search::PortOutcome> units;
    for (const search::PortOutcome &outcome : outcomes)
        if (outcome.kind == search::PortOutcome::Kind::Found)
            units << outcome;
    if (outcomes.isEmpty())
        return {std::nullopt, QStringLiteral("Ohne --port: kein USB- oder ACM-Adapter gefunden. Bitte die "
                                             "Schnittstelle mit --port nennen (COM1–COM10 nur so).")};
    if (units.isEmpty())
        return {std::nullopt, QStringLiteral("Ohne --port: an keinem USB- oder ACM-Adapter eine Einheit gefunden. "
                                             "Bitte die Schnittstelle mit --port nennen.")
                                  + everyLine(outcomes)};
    if (units.size() > 1)
        return {std::nullopt, QStringLiteral("Ohne --port: %1 Einheiten gefunden. Bitte eine mit --port wählen.")
                                      .arg(units.size())
                                  + everyLine(outcomes)};
    const search::PortOutcome &unit = units.front();
    ParamOptions chosen = options;
    chosen.port = unit.port;
    chosen.ports = {unit.port};
    if (!options.baudGiven)
        chosen.baud = unit.rate;
    if (!options.addressGiven)
        chosen.address = unit.address.isNull() ? QChar(protocol::everyUnit) : unit.address;
    return {chosen, QStringLiteral("Ohne --port die einzige gefundene Einheit: ") + search::outcomeLine(unit)};
}

std::unique_ptr<QObject> startOnFoundUnit(const ParamOptions &options, ParamConsole &console,
                                          const QStringList &adapters, const search::ChannelMaker &makeChannel,
                                          std::function<void(const ParamOptions &)> found,
                                          std::function<void(const ParamEnd &)> finished)
{
    // A run that cannot go on (a bad file, no terminal to ask on) costs no search.
    if (const QString refused = refusalBeforeUnit(options, console); !refused.isEmpty()) {
        console.err << "rix-param: " << refused << '\n';
        auto nothing = std::make_unique<QObject>();
        QTimer::singleShot(0, nothing.get(), [finished] { finished({ParamExit::Error}); });
        return nothing;
    }
    auto unitSearch = std::make_unique<search::UnitSearch>(adapters, makeChannel);
    search::UnitSearch *running = unitSearch.get();
    QObject::connect(running, &search::UnitSearch::finished, running, [running, options, &console, found, finished] {
        const FoundUnit unit = chooseFoundUnit(options, running->outcomes());
        if (!unit.options) {
            console.err << "rix-param: " << unit.message << '\n';
            finished({ParamExit::Error});
            return;
        }
        console.err << unit.message << '\n';
        found(*unit.options);
    });
    running->start();
    return unitSearch;
}
