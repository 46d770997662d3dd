// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/search/portprobe.h"

#include "unit/errors.h"
#include "unit/line/serialchannel.h"
#include "unit/protocol/protocol.h"

#include <cerrno>

namespace search {

namespace {
// A flock or a lock file held by another program; every other refusal says the port
// cannot be used at all.
bool meansBusy(int number)
{
    return number == EBUSY || number == EWOULDBLOCK || number == EAGAIN;
}
// Bytes kept of what was no answer, for the message.
constexpr qsizetype keptHeard = 64;
const QChar asked(protocol::everyUnit);
} // namespace

PortProbe::PortProbe(const QString &port, std::unique_ptr<SerialChannel> channel, Timing timing, QObject *parent)
    : QObject(parent)
    , channel_(std::move(channel))
    , line_(*channel_)
    , timing_(timing)
{
    outcome_.port = port;
    line_.onFailure([this](std::exception_ptr failure) { failed(failure); });
}

PortProbe::~PortProbe()
{
    done_ = true;   // what the close drops is no news any more
    line_.close();
}

void PortProbe::start()
{
    openAt(0);
}

void PortProbe::openAt(int rateIndex)
{
    rateIndex_ = rateIndex;
    line_.close();
    try {
        line_.open({outcome_.port, rates().at(rateIndex)});
    } catch (const RixError &error) {
        finish(meansBusy(error.number()) ? PortOutcome::Kind::Busy : PortOutcome::Kind::Unusable,
               QString::fromStdString(error.what()));
        return;
    }
    // What arrives just after the open was on its way before: listened to and dropped.
    Conversation::Request settle;
    settle.pauseMs = timing_.settleMs;
    settle.done = [this](const Conversation::Reply &reply) {
        if (!done_ && !reply.dropped)
            askVersion();
    };
    submit(std::move(settle));
}

void PortProbe::askVersion()
{
    Conversation::Request r;
    r.bytes = versionRequest();
    // F0 follows no sooner than a command button's next command would.
    r.pauseMs = protocol::commandPauseMs;
    r.answered = [](const QByteArray &arrived, bool) { return protocol::findVersionAnswer(arrived, asked).has_value(); };
    r.answerWaitMs = timing_.answerWaitMs;
    r.done = [this](const Conversation::Reply &reply) { versionReplied(reply); };
    submit(std::move(r));
}

void PortProbe::versionReplied(const Conversation::Reply &reply)
{
    if (done_ || reply.dropped)
        return;
    if (reply.answered) {
        version_ = protocol::findVersionAnswer(reply.arrived, asked);
        outcome_.rate = rates().at(rateIndex_);
        askAddress();
        return;
    }
    heard_ = (heard_ + reply.arrived).left(keptHeard);
    if (rateIndex_ + 1 < rates().size())
        openAt(rateIndex_ + 1);
    else
        finish(PortOutcome::Kind::NoUnit, noUnitReason(heard_));
}

void PortProbe::askAddress()
{
    Conversation::Request r;
    r.bytes = addressRequest();
    // Nothing follows it on this port: its answer is taken as it comes.
    r.answered = [](const QByteArray &arrived, bool quiet) { return protocol::readAnswerWhole(arrived, quiet, asked, 0); };
    r.answerWaitMs = timing_.answerWaitMs;
    r.done = [this](const Conversation::Reply &reply) { addressReplied(reply); };
    submit(std::move(r));
}

void PortProbe::addressReplied(const Conversation::Reply &reply)
{
    if (done_ || reply.dropped)
        return;
    const std::optional<protocol::ReadAnswer> answer =
        reply.answered ? protocol::findReadAnswer(reply.arrived, asked, 0) : std::nullopt;
    outcome_.address = answer ? addressFromF0(answer->value) : QChar();
    outcome_.version = version_->text;
    finish(PortOutcome::Kind::Found, rateRemark(outcome_.rate, version_->echoed));
}

void PortProbe::submit(Conversation::Request request)
{
    try {
        line_.submit(std::move(request));
    } catch (...) {
        failed(std::current_exception());
    }
}

void PortProbe::failed(std::exception_ptr failure)
{
    if (done_)
        return;
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &error) {
        finish(PortOutcome::Kind::Unusable, QString::fromStdString(error.what()));
    }
}

void PortProbe::finish(PortOutcome::Kind kind, const QString &reason)
{
    if (done_)
        return;
    done_ = true;
    outcome_.kind = kind;
    outcome_.reason = reason;
    line_.close();
    // Told from the event loop, outside the conversation's step that settled the port.
    QMetaObject::invokeMethod(this, &PortProbe::done, Qt::QueuedConnection);
}

} // namespace search
