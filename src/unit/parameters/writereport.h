// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a write did to each parameter it meant to write, and the report that says so.

#include <QString>

#include <vector>

struct PlannedWrite {
    enum class State {
        NotWritten,   // never sent: the unit holds `unitValue` as read before the write
        Confirmed,    // sent and read back with the new value
        NotTaken,     // sent, and read back with another value (`readBack`)
        Unknown,      // sent, and not read back: the unit may hold either value
    };
    int n = 0;
    QString unitValue;   // as read before writing
    QString fileValue;   // what the file asks for
    State state = State::NotWritten;
    QString readBack;
    bool leftOut = false;   // F0 or F6 without --include-line-settings: not part of the write
    bool newRate = false;   // F6 with another rate digit: not read back, by design
};

// One line per parameter, in the order given, such as
//   "  F1: 0A00 → 0A10  geschrieben und bestätigt"
// followed, after a new rate, by what the user has to do next.
// What the report says of a line setting left out and, after a new rate, what to do next:
// rix-param names its options, the window its own box.
struct ReportNotes {
    QString leftOut = QStringLiteral("nicht geschrieben (nur mit --include-line-settings)");
    QString newRate = QStringLiteral("Die Einheit arbeitet jetzt mit der Baudrate, die F6 nennt: mit dieser neu verbinden "
                                     "und mit „rix-param diff“ prüfen.");
};
QString writeReport(const std::vector<PlannedWrite> &plan, const ReportNotes &notes = {});
