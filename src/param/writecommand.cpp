// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/writecommand.h"

#include "param/console.h"
#include "param/session.h"
#include "param/setchanges.h"
#include "param/stopnotice.h"
#include "param/stopsignals.h"
#include "param/writereport.h"
#include "unit/errors.h"

#include <algorithm>

namespace {

// F0 holds the unit's address, F6 its line mode: after either the unit may be reached
// differently, so they go last, and only when asked for.
bool isLineSetting(int n)
{
    return n == 0 || n == 6;
}

using State = PlannedWrite::State;

// The parameters to write in the order they go out: the plain ones, then F0, then F6.
// Line settings left out come last in the list, marked, so the report names them.
std::vector<PlannedWrite> makePlan(const ParameterSet &file, const ParameterSet &unit, bool includeLineSettings)
{
    std::vector<PlannedWrite> plan;
    for (const int n : differing(file, unit)) {
        PlannedWrite p;
        p.n = n;
        p.unitValue = *unit.value[std::size_t(n)];
        p.fileValue = file.value[std::size_t(n)]->toUpper();
        p.leftOut = isLineSetting(n) && !includeLineSettings;
        // F6's first digit is the unit's rate: once it changes, the unit no longer hears this line's rate.
        p.newRate = n == 6 && p.fileValue.front() != p.unitValue.front();
        plan.push_back(p);
    }
    std::stable_sort(plan.begin(), plan.end(), [](const PlannedWrite &a, const PlannedWrite &b) {
        const auto rank = [](const PlannedWrite &p) { return p.leftOut ? 2 : isLineSetting(p.n) ? 1 : 0; };
        return rank(a) < rank(b);
    });
    return plan;
}

// Writes one parameter and reads it back. Returns false when the unit gave no answer to
// the read-back, also on its retry: what it holds is then unknown, and the write stops.
bool writeOne(PlannedWrite &p, Session &session)
{
    // From the moment the bytes may be on their way, the unit may hold the new value.
    p.state = State::Unknown;
    session.write(p.n, p.fileValue);
    if (p.newRate)
        return true;
    const QChar readFrom = p.n == 0 ? p.fileValue.front() : session.address();
    const std::optional<QString> back = session.readBack(p.n, readFrom);
    if (!back)
        return false;
    p.state = *back == p.fileValue ? State::Confirmed : State::NotTaken;
    p.readBack = *back;
    // A unit asked by its own digit is asked by its new one from now on.
    if (p.n == 0 && p.state == State::Confirmed && session.address() != QLatin1Char('S'))
        session.setAddress(readFrom);
    return true;
}

// Writes the plan in its order until it is done, the user or the system asks to stop
// (looked at before each parameter), or a parameter fails; why it failed, empty when
// nothing failed.
QString writeInOrder(std::vector<PlannedWrite> &plan, Session &session, const StopRequest &stop)
{
    for (PlannedWrite &p : plan) {
        if (p.leftOut)
            continue;
        if (stop.pending() != 0)
            break;
        try {
            if (!writeOne(p, session))
                return QStringLiteral("%1 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung.")
                    .arg(parameterName(p.n));
        } catch (const RixError &error) {
            return QString::fromStdString(error.what());
        }
    }
    return QString();
}

} // namespace

ParamEnd runWrite(const ParamOptions &options, Session &session, ParamConsole &console)
{
    const ParameterSet file = loadSetOrFail(options.setFile, true);
    session.open();
    const ParameterSet unit = session.readPresent(file);
    std::vector<PlannedWrite> plan = makePlan(file, unit, options.includeLineSettings);

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

    if (!options.yes) {
        if (!console.terminal)
            throw ParamFailure{QStringLiteral("Ohne Terminal wird nur mit --yes geschrieben. Nichts geschrieben.")};
        if (!console.confirm(QStringLiteral("%1 Wert(e) in die Einheit schreiben? [j/N] ").arg(count)))
            throw ParamFailure{QStringLiteral("Abgebrochen. Nichts geschrieben.")};
    }

    // From here on a signal does not end the program between a write and its read-back.
    const StopNotices notices(console, plan);
    console.stop.holdSignals();
    const QString failure = writeInOrder(plan, session, console.stop);
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
