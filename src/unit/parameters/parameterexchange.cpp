// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parameterexchange.h"

#include <algorithm>
#include <memory>

namespace {
constexpr int attempts = 2;   // the read and one retry

// Two answers naming Fn with different values in one request's time: one of them is from
// before the request, and which one cannot be told. Neither is taken; the read is asked again.
bool anotherValueIn(const QByteArray &arrived, const QString &value, QChar asked, int n)
{
    for (qsizetype from = 0;;) {
        const std::optional<protocol::ReadAnswer> next = protocol::findReadAnswer(arrived.mid(from), asked, n);
        if (!next)
            return false;
        if (next->value != value)
            return true;
        from += next->at + 1;
    }
}

Conversation::Request request(const ParameterLine &use, const QByteArray &command, int pauseMs, bool isRead)
{
    Conversation::Request r;
    r.bytes = command;
    r.pauseMs = pauseMs;
    r.wait = use.wait;
    if (use.writing)
        r.writing = [writing = use.writing, command, isRead] { writing(command, isRead); };
    if (use.stopAsked)
        r.wanted = [stopAsked = use.stopAsked] { return !stopAsked(); };
    return r;
}

void ask(const ParameterLine &use, QChar address, int n, int attempt, const Heard &before,
         const std::function<void(const Heard &)> &done)
{
    Conversation::Request r = request(use, readCommand(address, n), use.timing.buttonPauseMs, true);
    r.answered = [address, n](const QByteArray &arrived, bool quiet) { return protocol::readAnswerWhole(arrived, quiet, address, n); };
    r.answerWaitMs = std::max(use.timing.answerWaitMs, use.timing.buttonPauseMs);
    r.done = [use, address, n, attempt, before, done](const Conversation::Reply &reply) {
        Heard heard = heardFrom(reply, address, n);
        // The message names what came, from either attempt.
        if (heard.before.isEmpty())
            heard.before = before.before;
        heard.anything = heard.anything || before.anything;
        heard.contradicted = heard.contradicted || before.contradicted;
        if (heard.answer || heard.lineGone || heard.stopped || attempt + 1 >= attempts) {
            done(heard);
            return;
        }
        if (use.stopAsked && use.stopAsked()) {
            heard.stopped = true;
            done(heard);
            return;
        }
        ask(use, address, n, attempt + 1, heard, done);
    };
    use.line.submit(std::move(r));
}
} // namespace

QByteArray readCommand(QChar address, int n)
{
    return protocol::bytes(protocol::readParameter(QString(address), n));
}

QByteArray writeCommand(QChar address, int n, const QString &value)
{
    return protocol::bytes(protocol::writeParameter(QString(address), n, value));
}

Heard heardFrom(const Conversation::Reply &reply, QChar asked, int n)
{
    Heard heard;
    heard.anything = reply.anything;
    heard.before = reply.first;
    heard.lineGone = reply.dropped && !reply.withdrawn;
    heard.stopped = reply.withdrawn;
    const std::optional<protocol::ReadAnswer> found = protocol::findReadAnswer(reply.arrived, asked, n);
    if (!found || !protocol::readAnswerWhole(reply.arrived, true, asked, n))
        return heard;
    heard.contradicted = anotherValueIn(reply.arrived.mid(found->at + 1), found->value, asked, n);
    if (!heard.contradicted) {
        heard.answer = found;
        heard.before.clear();
    }
    return heard;
}

void readParameter(const ParameterLine &use, QChar address, int n, std::function<void(const Heard &)> done)
{
    ask(use, address, n, 0, Heard(), done);
}

void readParameterOnce(const ParameterLine &use, QChar address, int n, std::function<void(const Heard &)> done)
{
    ask(use, address, n, attempts - 1, Heard(), done);
}

void writeParameter(const ParameterLine &use, QChar address, int n, const QString &value,
                    std::function<void(bool lineGone)> done)
{
    Conversation::Request r = request(use, writeCommand(address, n, value), use.timing.sendPauseMs, false);
    r.done = [done = std::move(done)](const Conversation::Reply &reply) { done(reply.dropped); };
    use.line.submit(std::move(r));
}

void settle(const ParameterLine &use, std::function<void(bool lineGone)> done)
{
    Conversation::Request r;
    r.pauseMs = use.timing.settleMs;
    r.done = [done = std::move(done)](const Conversation::Reply &reply) { done(reply.dropped); };
    use.line.submit(std::move(r));
}
