// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/writereport.h"

namespace {

QString outcome(const PlannedWrite &p, const ReportNotes &notes)
{
    switch (p.state) {
    case PlannedWrite::State::Confirmed: return QStringLiteral("geschrieben und bestätigt");
    case PlannedWrite::State::NotTaken:
        return QStringLiteral("geschrieben, nicht übernommen (zurückgelesen %1)").arg(p.readBack);
    case PlannedWrite::State::Unknown:
        return QStringLiteral("geschrieben, nicht bestätigt (Zustand unbekannt)")
               + (p.newRate ? QStringLiteral(": neue Baudrate, nicht zurückgelesen") : QString());
    case PlannedWrite::State::NotWritten: break;
    }
    return p.leftOut ? notes.leftOut : QStringLiteral("nicht geschrieben");
}

} // namespace

QString writeReport(const std::vector<PlannedWrite> &plan, const ReportNotes &notes)
{
    QString report;
    bool newRate = false;
    for (const PlannedWrite &p : plan) {
        report += QStringLiteral("  F%1: %2 → %3  %4\n").arg(p.n).arg(p.unitValue, p.fileValue, outcome(p, notes));
        newRate = newRate || (p.newRate && p.state != PlannedWrite::State::NotWritten);
    }
    if (newRate)
        report += notes.newRate + QLatin1Char('\n');
    return report;
}
