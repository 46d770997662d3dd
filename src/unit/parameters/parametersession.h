// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parameter session both programs run over a UnitLine: each value taken from the answer
// that names it (with one retry), the rate the answers show checked, and a write of the
// parameters that differ in their order (plain ones, then F0, then F6), each read back after
// the send pause, stopping at the first parameter that cannot be read back. rix-param drives
// it from its command line, the window from its „Parametersatz …“ dialog.

#include "unit/parameters/parameterset.h"
#include "unit/parameters/unitline.h"
#include "unit/parameters/writereport.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// What a write talks through: the unit's address (F0 changes it) and the two exchanges.
class ParameterWriter {
public:
    virtual ~ParameterWriter() = default;
    virtual QChar address() const = 0;
    virtual void setAddress(QChar address) = 0;
    virtual void write(int n, const QString &value) = 0;
    // Fn's value read back from `address`; empty when no answer came, also on the retry.
    virtual std::optional<QString> readBack(int n, QChar address) = 0;
};

// The parameters whose file value differs from the unit's, in order.
std::vector<int> differing(const ParameterSet &file, const ParameterSet &unit);

// "F3: 0E28 → 0E3C (Vorlaufzeit)\n" and, below it, each digit group that changes, as
// "    Gerät: …" and "    Datei: …" lines.
QString changeText(int n, const QString &unitValue, const QString &fileValue);

// F0 holds the unit's address, F6 its line mode: after either the unit may be reached
// differently, so they go last, and only when asked for.
bool isLineSetting(int n);

// The parameters to write in the order they go out: the plain ones, then F0, then F6.
// F0 and F6 without `includeLineSettings` come last, marked as left out.
std::vector<PlannedWrite> makeWritePlan(const ParameterSet &file, const ParameterSet &unit, bool includeLineSettings);

// Writes the plan in its order until it is done, `stopAsked` says so (looked at before each
// parameter), or a parameter fails; why it failed, empty when nothing failed.
QString writeInOrder(std::vector<PlannedWrite> &plan, ParameterWriter &writer, const std::function<bool()> &stopAsked);

// "F3 antwortet nicht (auch nicht auf die Wiederholung von „$RSRF3“)" and what came instead.
QString noAnswerMessage(QChar address, int n, const UnitLine::Heard &heard);
// An answer that does not fit the rate `baud` the line runs at: "F3: Die Einheit antwortet,
// …: sie arbeitet wohl mit 4800 Baud, nicht mit 19200."; empty when it fits.
QString rateMismatch(int n, const protocol::ReadAnswer &answer, const QString &baud);

// A failure that ends a read; the message is German and complete.
struct SessionFailure {
    QString message;
};

// The window's session over a line it already has open: no other rate is tried, as the
// window's connection owns the rate, and every read is an F button's, to the window's address.
class ParameterSession : public ParameterWriter {
public:
    ParameterSession(UnitLine &line, QChar address, const QString &baud);

    // Fn's value, or, when Fn gives no answer, also on the retry, no value and why. A unit
    // may leave one parameter unanswered and still answer the next, so a silent parameter
    // ends nothing, unless it is the second one asked and nothing has answered yet: then no
    // unit answers at this address, and SessionFailure names both. An answer that does not
    // fit the rate throws SessionFailure; a failing line throws SerialError.
    struct Read {
        std::optional<QString> value;
        QString noAnswer;   // "F3 antwortet nicht (…)." when there is no value
    };
    Read read(int n);

    QChar address() const override { return address_; }
    void setAddress(QChar address) override { address_ = address; }
    void write(int n, const QString &value) override;
    // Asked as S, a read-back is asked as S too, also F0's after a new address: S reaches
    // every unit, and it is what the F buttons send.
    std::optional<QString> readBack(int n, QChar address) override;

private:
    UnitLine &line_;
    QChar address_;
    QString baud_;
    bool answered_ = false;   // some parameter has answered in this session
    QString firstSilence_;    // the first parameter's silence, while nothing has answered
};
