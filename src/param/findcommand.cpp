// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/findcommand.h"

#include "param/console.h"

#include <algorithm>

ParamEnd runFind(const ParamOptions &options, ParamConsole &console, const QStringList &adapters,
                 const search::ChannelMaker &makeChannel)
{
    const QStringList ports = options.ports.isEmpty() ? adapters : options.ports;
    if (ports.isEmpty()) {
        console.err << "rix-param: Keine USB- oder ACM-Schnittstelle gefunden. Andere Schnittstellen (auch "
                       "COM1–COM10) werden nur durchsucht, wenn sie mit --port genannt sind.\n";
        return {ParamExit::Error};
    }
    search::UnitSearch unitSearch(ports, makeChannel);
    const QList<search::PortOutcome> outcomes = unitSearch.run();
    if (options.json) {
        console.out << "[";
        for (int i = 0; i < outcomes.size(); ++i)
            console.out << (i == 0 ? "\n  " : ",\n  ") << QString::fromUtf8(search::outcomeJson(outcomes.at(i)));
        console.out << "\n]\n";
    } else {
        for (const search::PortOutcome &outcome : outcomes)
            console.out << search::outcomeLine(outcome) << '\n';
    }
    if (console.out.failed()) {
        console.err << "rix-param: Standardausgabe: " << console.out.failure() << '\n';
        return {ParamExit::Error};
    }
    const bool found = std::any_of(outcomes.begin(), outcomes.end(), [](const search::PortOutcome &outcome) {
        return outcome.kind == search::PortOutcome::Kind::Found;
    });
    return {found ? FindExit::Found : FindExit::NoneFound};
}
