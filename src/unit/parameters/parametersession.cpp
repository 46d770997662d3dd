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

// Writes one parameter and reads it back. Returns false when the unit gave no answer to
// the read-back, also on its retry: what it holds is then unknown, and the write stops.
bool writeOne(PlannedWrite &p, ParameterWriter &writer)
{
    // From the moment the bytes may be on their way, the unit may hold the new value.
    p.state = State::Unknown;
    writer.write(p.n, p.fileValue);
    if (p.newRate)
        return true;
    const QChar readFrom = p.n == 0 ? p.fileValue.front() : writer.address();
    const std::optional<QString> back = writer.readBack(p.n, readFrom);
    if (!back)
        return false;
    p.state = *back == p.fileValue ? State::Confirmed : State::NotTaken;
    p.readBack = *back;
    // A unit asked by its own digit is asked by its new one from now on.
    if (p.n == 0 && p.state == State::Confirmed && writer.address() != QChar(protocol::everyUnit))
        writer.setAddress(readFrom);
    return true;
}

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
            text += QStringLiteral("    Gerät: ") + was + QLatin1Char('\n');
        if (!will.isEmpty())
            text += QStringLiteral("    Datei: ") + will + QLatin1Char('\n');
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

QString writeInOrder(std::vector<PlannedWrite> &plan, ParameterWriter &writer, const std::function<bool()> &stopAsked)
{
    for (PlannedWrite &p : plan) {
        if (p.leftOut)
            continue;
        if (stopAsked())
            break;
        try {
            if (!writeOne(p, writer))
                return QStringLiteral("F%1 antwortet nach dem Schreiben nicht, auch nicht auf die Wiederholung.").arg(p.n);
        } catch (const RixError &error) {
            return QString::fromStdString(error.what());
        }
    }
    return QString();
}

QString noAnswerMessage(QChar address, int n, const UnitLine::Heard &heard)
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

ParameterSession::ParameterSession(UnitLine &line, QChar address, const QString &baud)
    : line_(line)
    , address_(address)
    , baud_(baud)
{
}

ParameterSession::Read ParameterSession::read(int n)
{
    const UnitLine::Heard heard = readParameter(line_, address_, n);
    if (!heard.answer) {
        const QString silence = noAnswerMessage(address_, n, heard) + QLatin1Char('.');
        if (answered_)
            return {std::nullopt, silence};
        if (!firstSilence_.isEmpty())
            throw SessionFailure{firstSilence_ + QLatin1Char('\n') + silence};
        firstSilence_ = silence;
        return {std::nullopt, silence};
    }
    const QString wrongRate = rateMismatch(n, *heard.answer, baud_);
    if (!wrongRate.isEmpty())
        throw SessionFailure{wrongRate};
    answered_ = true;
    return {heard.answer->value, QString()};
}

void ParameterSession::write(int n, const QString &value)
{
    line_.send(writeCommand(address_, n, value));
}

std::optional<QString> ParameterSession::readBack(int n, QChar address)
{
    if (address_ == QChar(protocol::everyUnit))
        address = address_;
    const UnitLine::Heard heard = readParameter(line_, address, n);
    if (!heard.answer)
        return std::nullopt;
    return heard.answer->value;
}
