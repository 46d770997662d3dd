// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/session.h"

#include "param/console.h"
#include "unit/errors.h"
#include "unit/line/openfailure.h"
#include "unit/protocol/protocol.h"

#include <QTimer>

namespace {
constexpr int parameterCount = 7;
} // namespace

QString parameterName(int n)
{
    return QStringLiteral("F") + QString::number(n);
}

Session::Session(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
    : options_(options)
    , console_(console)
    , line_(channel)
    , use_{line_, LineTiming{}, Conversation::Wait::None, {}, {}}
    , address_(options.address)
{
    use_.timing.answerWaitMs = options.timeoutMs;
    line_.onFailure([this](std::exception_ptr failure) { failed(failure); });
}

Session::~Session()
{
    close();
}

void Session::close()
{
    over_ = true;
    line_.closeAll();
}

void Session::fail(const QString &message)
{
    if (!over_ && failed_)
        failed_(message);
}

void Session::talk(const std::function<void()> &step)
{
    try {
        step();
    } catch (...) {
        failed(std::current_exception());
    }
}

void Session::failed(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const ParamFailure &f) {
        fail(f.message);
    } catch (const std::exception &e) {
        // The port failed or went: every exchange still queued is dropped now, and each
        // continuation hears why from lineGone().
        if (lost_.isEmpty())
            lost_ = QString::fromStdString(e.what());
        if (!over_)
            line_.close();
    }
}

QString Session::lineGone() const
{
    return lost_.isEmpty() ? ParameterSession::lineGoneMessage() : lost_;
}

void Session::openAt(const QString &baud, const std::function<void()> &opened)
{
    if (line_.isOpen())
        line_.close();
    try {
        line_.open({options_.port, baud});
    } catch (const RixError &error) {
        // The window's reasons, as its open-failure box gives them in its details.
        fail(openFailureLine(options_.port, QString::fromStdString(error.what())));
        return;
    }
    talk([&] {
        settle(use_, [this, opened](bool gone) {
            if (over_)
                return;
            if (gone)
                fail(lineGone());
            else
                opened();
        });
    });
}

void Session::open(std::function<void()> opened)
{
    openAt(options_.baud, opened);
}

void Session::read(int n, std::function<void(const QString &value)> done)
{
    talk([&] {
        readParameter(use_, address_, n, [this, n, done](const Heard &heard) {
            if (over_)
                return;
            if (heard.lineGone) {
                fail(lineGone());
                return;
            }
            if (!heard.answer) {
                noAnswer(n, heard);
                return;
            }
            // The rate the answers showed is not the rate asked for: the user is told which to use.
            if (const QString wrongRate = rateMismatch(n, *heard.answer, options_.baud); !wrongRate.isEmpty()) {
                fail(wrongRate + QStringLiteral(" Bitte mit --baud %1 aufrufen.").arg(protocol::otherRate(options_.baud)));
                return;
            }
            answered_ = true;
            progress(parameterName(n) + QStringLiteral(" … ") + heard.answer->value);
            done(heard.answer->value);
        });
    });
}

void Session::noAnswer(int n, const Heard &heard)
{
    const QString message = noAnswerMessage(address_, n, heard);
    if (answered_) {
        otherRateAnswered(n, message, false);
        return;
    }
    const QString other = protocol::otherRate(options_.baud);
    progress(QStringLiteral("%1: keine Antwort mit %2 Baud, Versuch mit %3 Baud").arg(parameterName(n), options_.baud, other));
    // Opened anew once the exchange that heard nothing is over, not inside it.
    QTimer::singleShot(0, &line_, [this, n, message, other] {
        if (over_)
            return;
        openAt(other, [this, n, message] {
            talk([&] {
                readParameterOnce(use_, address_, n, [this, n, message](const Heard &there) {
                    if (over_)
                        return;
                    if (there.lineGone)
                        fail(lineGone());
                    else
                        otherRateAnswered(n, message, there.answer.has_value());
                });
            });
        });
    });
}

void Session::otherRateAnswered(int n, const QString &message, bool answered)
{
    const QString other = protocol::otherRate(options_.baud);
    if (answered) {
        fail(QStringLiteral("%1 antwortet nicht mit %2 Baud, aber mit %3 Baud. Bitte mit --baud %3 aufrufen.")
                 .arg(parameterName(n), options_.baud, other));
        return;
    }
    QString why = message;
    if (!answered_)
        why += QStringLiteral("; auch mit %1 Baud keine Antwort").arg(other);
    // A unit answers only its own address digit; S reaches every unit.
    if (address_ != QChar(protocol::everyUnit))
        why += QStringLiteral(". Hat die Einheit eine andere Adresse als %1? Bitte --address prüfen "
                              "(--address S erreicht jede Einheit)")
                   .arg(address_);
    fail(why + QLatin1Char('.'));
}

void Session::readPresent(const ParameterSet &set, std::function<void(const ParameterSet &unit)> done)
{
    readFrom(set, 0, ParameterSet(), done);
}

void Session::readFrom(const ParameterSet &set, int n, ParameterSet unit,
                       const std::function<void(const ParameterSet &)> &done)
{
    while (n < parameterCount && !set.value[std::size_t(n)])
        ++n;
    if (n == parameterCount) {
        done(unit);
        return;
    }
    read(n, [this, set, n, unit, done](const QString &value) mutable {
        unit.value[std::size_t(n)] = value;
        readFrom(set, n + 1, unit, done);
    });
}

void Session::readBack(int n, QChar address,
                       std::function<void(const std::optional<QString> &value, const QString &failure)> done)
{
    talk([&] {
        readParameter(use_, address, n, [this, n, done](const Heard &heard) {
            if (over_)
                return;
            if (heard.lineGone) {
                done(std::nullopt, lineGone());
                return;
            }
            std::optional<QString> value;
            if (heard.answer)
                value = heard.answer->value;
            progress(parameterName(n) + QStringLiteral(" … ") + value.value_or(QStringLiteral("keine Antwort")));
            done(value, QString());
        });
    });
}

void Session::write(int n, const QString &value, std::function<void(const QString &failure)> done)
{
    progress(parameterName(n) + QStringLiteral(" ← ") + value);
    talk([&] {
        writeParameter(use_, address_, n, value, [this, done](bool gone) {
            if (!over_)
                done(gone ? lineGone() : QString());
        });
    });
}

void Session::progress(const QString &text)
{
    if (!options_.quiet)
        console_.err << text << '\n';
}
