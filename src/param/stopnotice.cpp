// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/stopnotice.h"

#include "param/stopsignals.h"

#include <algorithm>

namespace {

// The parameter whose write may be on its way and whose read-back is still to come: a
// parameter is marked so before its bytes go out and loses the mark once it is read back.
const PlannedWrite *onTheLine(const std::vector<PlannedWrite> &plan)
{
    const auto at = std::find_if(plan.begin(), plan.end(), [](const PlannedWrite &p) {
        return !p.leftOut && p.state == PlannedWrite::State::Unknown;
    });
    return at == plan.end() ? nullptr : &*at;
}

QString signalName(int signal)
{
    return QString::fromUtf8(StopSignals::describe(signal));
}

} // namespace

QString firstStopNotice(int signal, const std::vector<PlannedWrite> &plan)
{
    const PlannedWrite *p = onTheLine(plan);
    if (!p)
        return QStringLiteral("rix-param: %1: es wird nichts mehr geschrieben.\n").arg(signalName(signal));
    const QString name = QStringLiteral("F") + QString::number(p->n);
    // A new rate is not read back: only its pause is left.
    const QString finishing = p->newRate ? QStringLiteral("%1 wird noch fertig geschrieben").arg(name)
                                         : QStringLiteral("%1 wird noch fertig geschrieben und zurückgelesen").arg(name);
    return QStringLiteral("rix-param: %1: %2, danach wird nichts mehr geschrieben.\n").arg(signalName(signal), finishing);
}

QString secondStopNotice(int signal, const std::vector<PlannedWrite> &plan)
{
    const PlannedWrite *p = onTheLine(plan);
    const QString unchecked = p && !p->newRate ? QStringLiteral(", ohne F%1 zurückzulesen").arg(p->n) : QString();
    return QStringLiteral("rix-param: zweites Signal, %1: sofort beendet%2.\n"
                          "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n")
               .arg(signalName(signal), unchecked)
           + writeReport(plan);
}
