// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a unit of unknown setting is found on a port: what is asked (only what reads: the
// version, then F0 for the address digit, both to S, which every unit answers), at which
// rates in which order, how long each answer is waited for, and what a port's outcome reads
// like. The probe of one port and the search over many drive these rules; rix-param's
// „find“ and the window's „Einheit suchen …“ show their outcome.

#include "unit/line/systemports.h"
#include "unit/protocol/protocol.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace search {

// Tried in this order: the unit's rate as delivered first, then its 4800-baud mode.
QStringList rates();   // "19200", "4800"

// How long the search listens. The pause between the two requests is the window's
// (protocol::commandPauseMs), the quiet time that ends an answer the conversation's.
struct Timing {
    // What arrives within this long after opening was on its way before: dropped.
    int settleMs = protocol::settleMs;
    // How long an answer to the version or to F0 is waited for: as long as a read waits,
    // so that no unit a read would hear is missed, or taken at the other rate when it
    // answers late. A unit that answers is settled as soon as it has; only a port with
    // nothing there waits this long, at both rates.
    int answerWaitMs = protocol::answerWaitMs;
};

// The bytes of the two requests.
QByteArray versionRequest();   // "$RSV"
QByteArray addressRequest();   // "$RSRF0"

// The unit's address digit from its F0 value: the first of the four digits.
QChar addressFromF0(const QString &value);

// What was found on one port.
struct PortOutcome {
    enum class Kind {
        Found,      // a unit answered at `rate`
        NoUnit,     // the port opened but nothing answered at either rate
        Busy,       // another program holds the port: skipped, nothing written
        Unusable,   // the port does not exist, may not be used, or failed while asked
    };
    QString port;
    Kind kind = Kind::NoUnit;
    QString rate;          // Found: the rate the unit answered at
    QChar address;         // Found: the unit's digit; null when F0 did not answer
    QString version;       // Found: the version text
    QString reason;        // not Found: why, in German; Found: a remark or empty
};

// One line for a terminal: "PORT: 4800 Baud, Adresse 5, Version „rix-sim 1.0“" or
// "PORT: keine Einheit gefunden (…)" / "PORT: übersprungen, belegt (…)".
QString outcomeLine(const PortOutcome &outcome);
// The same as one JSON object's members (port, found, baud, address, version, reason, busy).
QByteArray outcomeJson(const PortOutcome &outcome);

// Why nothing was found after asking at both rates; `heard`: bytes that came but were no
// answer (a unit at another rate sends what looks like noise).
QString noUnitReason(const QByteArray &heard);
// The note for a found unit whose answer does not fit the rate: the command sent back at
// 19200 or missing at 4800; empty when it fits.
QString rateRemark(const QString &rate, bool echoed);

// The ports looked at when none are named: USB and ACM adapters only. An on-board port
// (ttyS*) may carry a console or another device and is asked only when named.
QStringList adapterPorts(const QList<FoundPort> &system);

// A port the caller itself holds (the window's connected port) is never opened; it is named
// busy with this reason.
QString heldByUsReason(const QString &port);

} // namespace search
