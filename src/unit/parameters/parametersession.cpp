// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parametersession.h"

#include "unit/parameters/parameterset.h"
#include "unit/errors.h"
#include "unit/protocol/protocol.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/parameters/parametermeaning.h"

#include <algorithm>

bool isLineSetting(int n)
{
    return n == 0 || n == 6;
}

namespace {
using State = PlannedWrite::State;
} // namespace

std::vector<int> differing(const ParameterSet &file, const ParameterSet &unit)
{
    std::vector<int> changed;
    for (std::size_t n = 0; n < file.value.size(); ++n) {
        const auto &wanted = file.value[n];
        if (wanted && unit.value[n] != wanted->toUpper())
            changed.push_back(int(n));
    }
    return changed;
}

QString changeText(int n, const QString &unitValue, const QString &fileValue)
{
    QString text = QStringLiteral("F%1: %2 → %3 (%4)\n").arg(QString::number(n), unitValue, fileValue, parameterTitle(n));
    const QStringList before = describeParameter(n, unitValue);
    const QStringList after = describeParameter(n, fileValue);
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        const QString was = before.value(i), will = after.value(i);
        if (was == will)
            continue;
        if (!was.isEmpty())
            text += QStringLiteral("    Einheit: ") + was + QLatin1Char('\n');
        if (!will.isEmpty())
            text += QStringLiteral("    Datei:   ") + will + QLatin1Char('\n');
    }
    return text;
}

std::vector<PlannedWrite> makeWritePlan(const ParameterSet &file, const ParameterSet &unit, bool includeLineSettings)
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

PlanWrite::PlanWrite(std::vector<PlannedWrite> plan, ParameterWriter &writer, std::function<bool()> stopAsked)
    : plan_(std::move(plan))
    , writer_(writer)
    , stopAsked_(std::move(stopAsked))
{
}

void PlanWrite::start(std::function<void(const QString &failure)> done)
{
    done_ = std::move(done);
    at_ = 0;
    next();
}

void PlanWrite::next()
{
    while (at_ < plan_.size() && plan_[at_].leftOut)
        ++at_;
    if (at_ == plan_.size() || stopAsked_()) {
        end(QString());
        return;
    }
    PlannedWrite &p = plan_[at_];
    // From the moment the bytes may be on their way, the unit may hold the new value.
    p.state = State::Unknown;
    if (step)
        step(p, false);
    writer_.write(p.n, p.fileValue, [this](const QString &failure) {
        PlannedWrite &p = plan_[at_];
        if (!failure.isEmpty()) {
            end(failure);
            return;
        }
        if (step)
            step(p, true);
        // F6 with a new rate is not read back, by design: the unit no longer hears this rate.
        if (p.newRate) {
            ++at_;
            next();
            return;
        }
        readBack(p);
    });
}

void PlanWrite::readBack(PlannedWrite &p)
{
    const QChar readFrom = p.n == 0 ? p.fileValue.front() : writer_.address();
    writer_.readBack(p.n, readFrom, [this, readFrom](const std::optional<QString> &back, const QString &failure) {
        PlannedWrite &p = plan_[at_];
        if (!failure.isEmpty()) {
            end(failure);
            return;
        }
        // No answer, also on the retry: what the unit holds is unknown, and the write stops.
        if (!back) {
            end(QStringLiteral("F%1 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung.").arg(p.n));
            return;
        }
        p.state = *back == p.fileValue ? State::Confirmed : State::NotTaken;
        p.readBack = *back;
        // A unit asked by its own digit is asked by its new one from now on.
        if (p.n == 0 && p.state == State::Confirmed && writer_.address() != QChar(protocol::everyUnit))
            writer_.setAddress(readFrom);
        ++at_;
        next();
    });
}

void PlanWrite::end(const QString &failure)
{
    if (auto done = std::exchange(done_, nullptr))
        done(failure);
}

QString noAnswerMessage(QChar address, int n, const Heard &heard)
{
    const QString command = QString::fromLatin1(readCommand(address, n));
    QString message = QStringLiteral("F%1 antwortet nicht (auch nicht auf die Wiederholung von „%2“)").arg(n).arg(command);
    if (heard.contradicted)
        message += QStringLiteral("; es kamen zwei Antworten mit verschiedenen Werten, von denen keine gilt: %1")
                       .arg(quotedBytes(heard.before));
    else if (heard.anything)
        message += QStringLiteral("; es kam nur anderer Text: %1").arg(quotedBytes(heard.before));
    return message;
}

QString rateMismatch(int n, const protocol::ReadAnswer &answer, const QString &baud)
{
    const bool at4800 = protocol::echoesCommand(baud);
    if (answer.echoed == at4800)
        return QString();
    const QString what = at4800 ? QStringLiteral("sendet aber den Befehl nicht vorher zurück, wie sie es bei 4800 Baud tut")
                                : QStringLiteral("sendet aber jeden Befehl vorher zurück, wie sie es nur bei 4800 Baud tut");
    return QStringLiteral("F%1: Die Einheit antwortet, %2: sie arbeitet wohl mit %4 Baud, nicht mit %3.")
        .arg(QString::number(n), what, baud, protocol::otherRate(baud));
}

ParameterSession::ParameterSession(ParameterLine use, QChar address, const QString &baud)
    : use_(std::move(use))
    , address_(address)
    , baud_(baud)
{
}

QString ParameterSession::lineGoneMessage()
{
    return QStringLiteral("Die Verbindung zur Einheit ist unterbrochen.");
}

void ParameterSession::read(int n, std::function<void(const Read &)> done)
{
    readParameter(use_, address_, n, [this, n, done = std::move(done)](const Heard &heard) {
        Read read;
        if (heard.stopped) {
            read.stopped = true;
        } else if (heard.lineGone) {
            read.lineGone = true;
            read.failure = lineGoneMessage();
        } else if (!heard.answer) {
            read.noAnswer = noAnswerMessage(address_, n, heard) + QLatin1Char('.');
            if (!answered_ && !firstSilence_.isEmpty())
                read.failure = firstSilence_ + QLatin1Char('\n') + read.noAnswer;
            else if (!answered_)
                firstSilence_ = read.noAnswer;
        } else if (const QString wrongRate = rateMismatch(n, *heard.answer, baud_); !wrongRate.isEmpty()) {
            read.failure = wrongRate;
        } else {
            answered_ = true;
            read.value = heard.answer->value;
        }
        done(read);
    });
}

void ParameterSession::write(int n, const QString &value, std::function<void(const QString &failure)> done)
{
    writeParameter(use_, address_, n, value, [done = std::move(done)](bool lineGone) {
        done(lineGone ? lineGoneMessage() : QString());
    });
}

void ParameterSession::readBack(int n, QChar address,
                                std::function<void(const std::optional<QString> &value, const QString &failure)> done)
{
    if (address_ == QChar(protocol::everyUnit))
        address = address_;
    readParameter(use_, address, n, [done = std::move(done)](const Heard &heard) {
        if (heard.lineGone)
            done(std::nullopt, lineGoneMessage());
        else
            done(heard.answer ? std::optional<QString>(heard.answer->value) : std::nullopt, QString());
    });
}
