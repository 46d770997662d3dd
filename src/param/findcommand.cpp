// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/findcommand.h"

#include "param/console.h"

#include <QTimer>

#include <algorithm>

namespace {

ParamEnd endOf(const QList<search::PortOutcome> &outcomes, ParamConsole &console)
{
    if (console.out.failed()) {
        console.err << "rix-param: Standardausgabe: " << console.out.failure() << '\n';
        return {ParamExit::Error};
    }
    const bool found = std::any_of(outcomes.begin(), outcomes.end(), [](const search::PortOutcome &outcome) {
        return outcome.kind == search::PortOutcome::Kind::Found;
    });
    return {found ? FindExit::Found : FindExit::NoneFound};
}

void printJson(const QList<search::PortOutcome> &outcomes, ParamConsole &console)
{
    console.out << "[";
    for (int i = 0; i < outcomes.size(); ++i)
        console.out << (i == 0 ? "\n  " : ",\n  ") << QString::fromUtf8(search::outcomeJson(outcomes.at(i)));
    console.out << "\n]\n";
}

} // namespace

std::unique_ptr<QObject> startFind(const ParamOptions &options, ParamConsole &console, const QStringList &adapters,
                                   const search::ChannelMaker &makeChannel,
                                   std::function<void(const ParamEnd &)> finished)
{
    const QStringList ports = options.ports.isEmpty() ? adapters : options.ports;
    if (ports.isEmpty()) {
        console.err << "rix-param: Keine USB- oder ACM-Schnittstelle gefunden. Andere Schnittstellen (auch "
                       "COM1–COM10) werden nur durchsucht, wenn sie mit --port genannt sind.\n";
        auto nothing = std::make_unique<QObject>();
        QTimer::singleShot(0, nothing.get(), [finished] { finished({ParamExit::Error}); });
        return nothing;
    }
    auto unitSearch = std::make_unique<search::UnitSearch>(ports, makeChannel);
    search::UnitSearch *running = unitSearch.get();
    const bool json = options.json;
    if (!json) {
        QObject::connect(running, &search::UnitSearch::portDone, running,
                         [&console](int, const search::PortOutcome &outcome) {
                             console.out << search::outcomeLine(outcome) << '\n';
                         });
    }
    QObject::connect(running, &search::UnitSearch::finished, running, [running, json, &console, finished] {
        if (json)
            printJson(running->outcomes(), console);
        finished(endOf(running->outcomes(), console));
    });
    running->start();
    return unitSearch;
}
