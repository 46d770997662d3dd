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
// A unit that floods the line must not fill the memory while an answer is looked for.
constexpr qsizetype keptArrived = 4096;
} // namespace

PortProbe::PortProbe(const QString &port, std::unique_ptr<SerialChannel> channel, Timing timing, QObject *parent)
    : QObject(parent)
    , channel_(std::move(channel))
    , timing_(timing)
{
    outcome_.port = port;
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PortProbe::onTimer);
}

PortProbe::~PortProbe()
{
    if (channel_) {
        channel_->onBytesArrived({});
        channel_->closeAll();
    }
}

void PortProbe::start()
{
    openAt(0);
}

void PortProbe::openAt(int rateIndex)
{
    rateIndex_ = rateIndex;
    channel_->onBytesArrived({});
    channel_->closeAll();
    try {
        channel_->open({outcome_.port, rates().at(rateIndex)});
    } catch (const RixError &error) {
        finish(meansBusy(error.number()) ? PortOutcome::Kind::Busy : PortOutcome::Kind::Unusable,
               QString::fromStdString(error.what()));
        return;
    }
    channel_->onBytesArrived([this] { onBytes(); });
    step_ = Step::Settling;
    timer_.start(timing_.settleMs);
}

void PortProbe::take()
{
    const QByteArray bytes = channel_->takeAvailable();
    if (step_ == Step::AskingVersion || step_ == Step::AskingAddress) {
        arrived_ += bytes;
        if (arrived_.size() > keptArrived)
            arrived_ = arrived_.right(keptArrived / 2);
    }
}

void PortProbe::onBytes()
{
    if (step_ == Step::Done)
        return;
    try {
        take();
    } catch (const RixError &error) {
        finish(PortOutcome::Kind::Unusable, QString::fromStdString(error.what()));
        return;
    }
    evaluate(false);
}

void PortProbe::ask(const QByteArray &request, Step step)
{
    try {
        channel_->takeAvailable();   // what came before the request is no answer to it
        channel_->write(request);
    } catch (const RixError &error) {
        finish(PortOutcome::Kind::Unusable, QString::fromStdString(error.what()));
        return;
    }
    arrived_.clear();
    step_ = step;
    sinceRequest_.start();
    timer_.start(timing_.answerWaitMs);
}

void PortProbe::evaluate(bool quiet)
{
    if (step_ == Step::AskingVersion) {
        version_ = findVersionAnswer(arrived_);
        if (!version_)
            return;
        outcome_.rate = rates().at(rateIndex_);
        step_ = Step::Pausing;
        timer_.start(int(std::max<qint64>(0, timing_.commandPauseMs - sinceRequest_.elapsed())));
    } else if (step_ == Step::AskingAddress) {
        const std::optional<protocol::ReadAnswer> answer =
            protocol::findReadAnswer(arrived_, QChar(protocol::everyUnit), 0);
        if (!answer)
            return;
        // A fifth hexadecimal digit would make it no answer: whole once a byte follows it
        // or the line is quiet.
        if (answer->at + protocol::readAnswerLength < arrived_.size() || quiet)
            found(addressFromF0(answer->value));
        else
            timer_.start(timing_.quietMs);
    }
}

void PortProbe::onTimer()
{
    switch (step_) {
    case Step::Settling:
        try {
            channel_->takeAvailable();
        } catch (const RixError &error) {
            finish(PortOutcome::Kind::Unusable, QString::fromStdString(error.what()));
            return;
        }
        ask(versionRequest(), Step::AskingVersion);
        return;
    case Step::AskingVersion:
        heard_ = (heard_ + arrived_).left(keptHeard);
        if (rateIndex_ + 1 < rates().size())
            openAt(rateIndex_ + 1);
        else
            finish(PortOutcome::Kind::NoUnit, noUnitReason(heard_));
        return;
    case Step::Pausing:
        ask(addressRequest(), Step::AskingAddress);
        return;
    case Step::AskingAddress:
        if (sinceRequest_.elapsed() < timing_.answerWaitMs) {
            evaluate(true);
            if (step_ == Step::Done)
                return;
            timer_.start(int(std::max<qint64>(1, timing_.answerWaitMs - sinceRequest_.elapsed())));
            return;
        }
        evaluate(true);
        if (step_ != Step::Done)
            found(std::nullopt);
        return;
    case Step::Idle:
    case Step::Done: return;
    }
}

void PortProbe::found(std::optional<QChar> address)
{
    outcome_.address = address.value_or(QChar());
    outcome_.version = version_->text;
    finish(PortOutcome::Kind::Found, rateRemark(outcome_.rate, version_->echoed));
}

void PortProbe::finish(PortOutcome::Kind kind, const QString &reason)
{
    timer_.stop();
    outcome_.kind = kind;
    outcome_.reason = reason;
    step_ = Step::Done;
    channel_->onBytesArrived({});
    channel_->closeAll();
    emit done();
}

} // namespace search
