// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The parameter session both programs run over a conversation: each value taken from the
// answer that names it (with one retry), the rate the answers show checked, and a write of
// the parameters that differ in their order (plain ones, then F0, then F6), each read back
// after the send pause, stopping at the first parameter that cannot be read back. Every step
// is an exchange on the event loop: nothing here waits inside a call. rix-param drives it
// from its command line, the window from its „Parametersatz …“ dialog.

#include "unit/parameters/parameterexchange.h"
#include "unit/parameters/parameterset.h"
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
    // Sends Fn's write; `done` gets why it failed, empty when it went out.
    virtual void write(int n, const QString &value, std::function<void(const QString &failure)> done) = 0;
    // Fn's value read back from `address`: empty when no answer came, also on the retry; a
    // failure when the line went.
    virtual void readBack(int n, QChar address,
                          std::function<void(const std::optional<QString> &value, const QString &failure)> done) = 0;
};

// The parameters whose file value differs from the unit's, in order.
std::vector<int> differing(const ParameterSet &file, const ParameterSet &unit);

// "F3: 0E28 → 0E3C (Vorlaufzeit)\n" and, below it, each digit group that changes, as
// "    Einheit: …" and "    Datei:   …" lines.
QString changeText(int n, const QString &unitValue, const QString &fileValue);

// F0 holds the unit's address, F6 its line mode: after either the unit may be reached
// differently, so they go last, and only when asked for.
bool isLineSetting(int n);

// The parameters to write in the order they go out: the plain ones, then F0, then F6.
// F0 and F6 without `includeLineSettings` come last, marked as left out.
std::vector<PlannedWrite> makeWritePlan(const ParameterSet &file, const ParameterSet &unit, bool includeLineSettings);

// Writes a plan in its order until it is done, `stopAsked` says so (looked at before each
// parameter), or a parameter fails; then `done` with why it failed, empty when nothing failed.
// `step` hears each parameter as its write goes out (false) and once it is written (true).
class PlanWrite {
public:
    PlanWrite(std::vector<PlannedWrite> plan, ParameterWriter &writer, std::function<bool()> stopAsked);
    void start(std::function<void(const QString &failure)> done);
    std::function<void(const PlannedWrite &, bool written)> step;
    const std::vector<PlannedWrite> &plan() const { return plan_; }

private:
    void next();
    void readBack(PlannedWrite &p);
    void end(const QString &failure);

    std::vector<PlannedWrite> plan_;
    ParameterWriter &writer_;
    std::function<bool()> stopAsked_;
    std::function<void(const QString &)> done_;
    std::size_t at_ = 0;
};

// "F3 antwortet nicht (auch nicht auf die Wiederholung von „$RSRF3“)" and what came instead.
QString noAnswerMessage(QChar address, int n, const Heard &heard);
// An answer that does not fit the rate `baud` the line runs at: "F3: Die Einheit antwortet,
// …: sie arbeitet wohl mit 4800 Baud, nicht mit 19200."; empty when it fits.
QString rateMismatch(int n, const protocol::ReadAnswer &answer, const QString &baud);

// The window's session over a line it already has open: no other rate is tried, as the
// window's connection owns the rate, and every read is an F button's, to the window's address.
class ParameterSession : public ParameterWriter {
public:
    ParameterSession(ParameterLine use, QChar address, const QString &baud);

    // Fn's value, or, when Fn gives no answer, also on the retry, no value and why. A unit
    // may leave one parameter unanswered and still answer the next, so a silent parameter
    // ends nothing, unless it is the second one asked and nothing has answered yet: then no
    // unit answers at this address, and `failure` names both. An answer that does not fit
    // the rate is a failure too; so is a line that went.
    struct Read {
        std::optional<QString> value;
        QString noAnswer;   // "F3 antwortet nicht (…)." when there is no value
        QString failure;    // the read must end: why
        bool lineGone = false;
        bool stopped = false;   // a stop was asked: the read was not asked (again)
    };
    void read(int n, std::function<void(const Read &)> done);

    QChar address() const override { return address_; }
    void setAddress(QChar address) override { address_ = address; }
    void write(int n, const QString &value, std::function<void(const QString &failure)> done) override;
    // Asked as S, a read-back is asked as S too, also F0's after a new address: S reaches
    // every unit, and it is what the F buttons send.
    void readBack(int n, QChar address,
                  std::function<void(const std::optional<QString> &value, const QString &failure)> done) override;

    // Why the session stopped: the line went.
    static QString lineGoneMessage();

private:
    ParameterLine use_;
    QChar address_;
    QString baud_;
    bool answered_ = false;   // some parameter has answered in this session
    QString firstSilence_;    // the first parameter's silence, while nothing has answered
};
