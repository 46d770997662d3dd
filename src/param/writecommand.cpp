// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/writecommand.h"

#include "param/console.h"
#include "param/session.h"
#include "param/setchanges.h"
#include "param/stopnotice.h"
#include "param/stopsignals.h"
#include "unit/parameters/writereport.h"
#include "unit/errors.h"

#include <algorithm>

namespace {

using State = PlannedWrite::State;

} // namespace

ParamEnd runWrite(const ParamOptions &options, Session &session, ParamConsole &console)
{
    const ParameterSet file = loadSetOrFail(options.setFile, true);
    // Whether it may ask is known before the unit is: a run that cannot write costs no read.
    if (!options.yes && !options.dryRun && !console.terminal)
        throw ParamFailure{QStringLiteral("Ohne Terminal wird nur mit --yes geschrieben. Nichts geschrieben.")};
    session.open();
    const ParameterSet unit = session.readPresent(file);
    std::vector<PlannedWrite> plan = makeWritePlan(file, unit, options.includeLineSettings);

    qsizetype count = 0;
    for (const PlannedWrite &p : plan) {
        printChange(console.out, p.n, p.unitValue, p.fileValue);
        if (p.leftOut)
            console.out << "    " << parameterName(p.n)
                        << " wird nur mit --include-line-settings geschrieben, hier übersprungen.\n";
        else
            ++count;
    }
    const bool leftOut = std::any_of(plan.begin(), plan.end(), [](const PlannedWrite &p) { return p.leftOut; });
    const auto leftOutNote = [&] {
        QStringList names;
        for (const PlannedWrite &p : plan)
            if (p.leftOut)
                names << parameterName(p.n);
        return QStringLiteral("%1 %2 weiter ab (nur mit --include-line-settings geschrieben).")
            .arg(names.join(QStringLiteral(" und ")), names.size() > 1 ? QStringLiteral("weichen") : QStringLiteral("weicht"));
    };
    if (count == 0) {
        console.out << (leftOut ? QStringLiteral("Nichts geschrieben. ") + leftOutNote() : QStringLiteral("Nichts zu schreiben."))
                    << '\n';
    } else if (options.dryRun) {
        console.out << "Probelauf: nichts geschrieben.\n";
    }
    if (console.out.failed())
        throw ParamFailure{QStringLiteral("Standardausgabe: %1 Nichts geschrieben.").arg(console.out.failure())};
    if (count == 0)
        return {leftOut ? ParamExit::Different : ParamExit::Ok};
    if (options.dryRun)
        return {ParamExit::Ok};

    // A no is the user's decision, not a failure: its own exit code, so a script can tell.
    if (!options.yes && !console.confirm(QStringLiteral("%1 Wert(e) in die Einheit schreiben? [j/N] ").arg(count))) {
        console.err << "rix-param: Abgebrochen. Nichts geschrieben.\n";
        return {ParamExit::Declined};
    }

    // From here on a signal does not end the program between a write and its read-back.
    const StopNotices notices(console, plan);
    console.stop.holdSignals();
    const QString failure = writeInOrder(plan, session, [&console] { return console.stop.pending() != 0; });
    // Also a signal during the last parameter: the script that runs rix-param is to stop.
    const int stoppedBy = console.stop.pending();
    if (!failure.isEmpty() || stoppedBy != 0) {
        QStringList why;
        if (!failure.isEmpty())
            why << failure;
        if (stoppedBy != 0)
            why << QStringLiteral("%1 empfangen.").arg(QLatin1String(StopSignals::describe(stoppedBy)));
        const bool cutShort = !failure.isEmpty() || std::any_of(plan.begin(), plan.end(), [](const PlannedWrite &p) {
            return !p.leftOut && p.state == State::NotWritten;
        });
        console.err << "rix-param: " << why.join(QLatin1Char('\n')) << '\n'
                    << (cutShort ? "Schreiben abgebrochen, danach nichts mehr geschrieben. " : "") << "Stand der Einheit:\n"
                    << writeReport(plan);
        return {ParamExit::Error, stoppedBy};
    }
    const bool allConfirmed = std::all_of(plan.begin(), plan.end(), [](const PlannedWrite &p) {
        return p.leftOut || p.state == State::Confirmed;
    });
    if (!allConfirmed) {
        console.err << "rix-param: nicht jeder geschriebene Wert ist bestätigt. Stand der Einheit:\n" << writeReport(plan);
        return {ParamExit::NotConfirmed};
    }
    console.out << "Geschrieben und zurückgelesen: " << count << " Wert(e).";
    if (leftOut)
        console.out << ' ' << leftOutNote();
    console.out << '\n';
    if (console.out.failed()) {
        console.err << "rix-param: Standardausgabe: " << console.out.failure() << " Stand der Einheit:\n"
                    << writeReport(plan);
        return {ParamExit::Error};
    }
    return {leftOut ? ParamExit::Different : ParamExit::Ok};
}
