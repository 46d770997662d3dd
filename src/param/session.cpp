// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/session.h"

#include "param/console.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/protocol/protocol.h"
#include "unit/errors.h"
#include "unit/line/openfailure.h"
#include "unit/parameters/parametersession.h"
#include "unit/line/serialchannel.h"

namespace {
constexpr int parameterCount = 7;
} // namespace

QString parameterName(int n)
{
    return QStringLiteral("F") + QString::number(n);
}

Session::Session(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
    : options_(options)
    , channel_(channel)
    , console_(console)
    , address_(options.address)
{
}

Session::~Session()
{
    line_.reset();
    channel_.closeAll();
}

void Session::openAt(const QString &baud)
{
    line_.reset();
    try {
        channel_.open({options_.port, baud});
    } catch (const RixError &error) {
        // The window's reasons, as its open-failure box gives them in its details.
        throw ParamFailure{openFailureLine(options_.port, QString::fromStdString(error.what()))};
    }
    LineTiming timing;
    timing.answerWaitMs = options_.timeoutMs;
    line_.emplace(channel_, timing);
    line_->settle();
}

void Session::open()
{
    openAt(options_.baud);
}

QString Session::otherBaud() const
{
    return protocol::otherRate(options_.baud);
}

void Session::checkRate(int n, const protocol::ReadAnswer &answer) const
{
    const QString wrongRate = rateMismatch(n, answer, options_.baud);
    if (!wrongRate.isEmpty())
        throw ParamFailure{wrongRate + QStringLiteral(" Bitte mit --baud %1 aufrufen.").arg(otherBaud())};
}

void Session::noAnswer(int n, const UnitLine::Heard &heard)
{
    QString message = noAnswerMessage(address_, n, heard);
    if (!answered_) {
        progress(QStringLiteral("%1: keine Antwort mit %2 Baud, Versuch mit %3 Baud")
                     .arg(parameterName(n), options_.baud, otherBaud()));
        openAt(otherBaud());
        if (line_->ask(readCommand(address_, n), address_, n).answer)
            throw ParamFailure{QStringLiteral("%1 antwortet nicht mit %2 Baud, aber mit %3 Baud. "
                                              "Bitte mit --baud %3 aufrufen.")
                                   .arg(parameterName(n), options_.baud, otherBaud())};
        message += QStringLiteral("; auch mit %1 Baud keine Antwort").arg(otherBaud());
    }
    // A unit answers only its own address digit; S reaches every unit.
    if (address_ != QChar(protocol::everyUnit))
        message += QStringLiteral(". Hat die Einheit eine andere Adresse als %1? Bitte --address prüfen "
                                  "(--address S erreicht jede Einheit)").arg(address_);
    throw ParamFailure{message + QLatin1Char('.')};
}

QString Session::read(int n)
{
    const UnitLine::Heard heard = readParameter(*line_, address_, n);
    if (!heard.answer)
        noAnswer(n, heard);
    checkRate(n, *heard.answer);
    answered_ = true;
    progress(parameterName(n) + QStringLiteral(" … ") + heard.answer->value);
    return heard.answer->value;
}

std::optional<QString> Session::readBack(int n, QChar address)
{
    const UnitLine::Heard heard = readParameter(*line_, address, n);
    std::optional<QString> value;
    if (heard.answer)
        value = heard.answer->value;
    progress(parameterName(n) + QStringLiteral(" … ") + value.value_or(QStringLiteral("keine Antwort")));
    return value;
}

void Session::write(int n, const QString &value)
{
    progress(parameterName(n) + QStringLiteral(" ← ") + value);
    line_->send(writeCommand(address_, n, value));
}

ParameterSet Session::readPresent(const ParameterSet &set)
{
    ParameterSet unit;
    for (int n = 0; n < parameterCount; ++n)
        if (set.value[std::size_t(n)])
            unit.value[std::size_t(n)] = read(n);
    return unit;
}

void Session::progress(const QString &text)
{
    if (!options_.quiet)
        console_.err << text << '\n';
}
