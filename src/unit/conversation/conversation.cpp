// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/conversation/conversation.h"

#include "unit/errors.h"
#include "unit/logging.h"
#include "unit/protocol/protocol.h"

#include <algorithm>

namespace {
// The program's own pause: a precise single-shot timer.
class TimerPause : public LinePause {
public:
    TimerPause()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto over = std::exchange(over_, nullptr))
                over();
        });
    }
    void start(int ms, std::function<void()> over) override
    {
        over_ = std::move(over);
        timer_.start(ms);
    }
    void stop() override
    {
        timer_.stop();
        over_ = nullptr;
    }

private:
    QTimer timer_;
    std::function<void()> over_;
};

void singleShot(QTimer &timer)
{
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
}
} // namespace

struct Conversation::Item {
    Wait wait = Wait::None;
    std::function<void()> turn;       // a turn, or …
    std::optional<Request> request;   // … an exchange
    Stage stage = Stage::Queued;
    bool ready = false;               // submitted by a turn: neither fetched for nor waited on again
};

Conversation::Conversation(SerialChannel &channel, LinePause *pause, QObject *parent)
    : QObject(parent)
    , channel_(channel)
    , ownPause_(pause ? nullptr : std::make_unique<TimerPause>())
    , pause_(pause ? *pause : *ownPause_)
    , clock_([] { return std::chrono::steady_clock::now(); })
{
    pollTimer_.setObjectName(QStringLiteral("tmr1"));
    pollTimer_.setTimerType(Qt::PreciseTimer);
    for (QTimer *timer : {&quietTimer_, &gateTimer_, &fetchTimer_, &answerTimer_})
        singleShot(*timer);
    quietTimer_.setObjectName(QStringLiteral("burstQuiet"));
    connect(&quietTimer_, &QTimer::timeout, this, [this] { guarded([this] { quietTimeOver(); }); });
    connect(&gateTimer_, &QTimer::timeout, this, [this] { guarded([this] { gateStep(); }); });
    connect(&fetchTimer_, &QTimer::timeout, this, [this] { guarded([this] { fetchDone(); }); });
    connect(&answerTimer_, &QTimer::timeout, this, [this] {
        guarded([this] {
            if (current_ && current_->stage == Stage::Answer)
                finish(current_->request->answered(arrived_, quietNow()));
        });
    });
}

Conversation::~Conversation()
{
    channel_.onBytesArrived({});
    pause_.stop();
}

void Conversation::setPollInterval(int ms)
{
    pollIntervalMs_ = ms;
    pollTimer_.setInterval(ms);
    updatePolling();
}

void Conversation::guarded(const std::function<void()> &step)
{
    // Whatever the step ended, the next exchange may begin.
    const auto stepThenGoOn = [this, &step] {
        step();
        pump();
    };
    if (guard_) {
        guard_(stepThenGoOn);
        return;
    }
    try {
        stepThenGoOn();
    } catch (...) {
        if (failed_)
            failed_(std::current_exception());
        else
            qCWarning(lcSerial) << "a step of the conversation failed and nobody listens";
    }
}

void Conversation::open(const PortSettings &settings)
{
    channel_.open(settings);
    ++epoch_;
    reading_ = true;
    closing_ = false;
    sending_ = false;
    lastByteWasLineEnd_ = false;
    channel_.onBytesArrived([this] { guarded([this] { bytesArrived(); }); });
    if (listener_)
        listener_->opened();
    updatePolling();
    pump();
}

void Conversation::closeWith(bool all)
{
    ++epoch_;
    for (QTimer *timer : {&pollTimer_, &quietTimer_, &gateTimer_, &fetchTimer_, &answerTimer_})
        timer->stop();
    pause_.stop();
    gateLimitMs_ = 0;
    afterFetch_ = nullptr;
    if (channel_.isOpen()) {
        // Every byte taken off the line is on record, also what came just before the close.
        try {
            hear(channel_.takeRest());
        } catch (const std::exception &e) {
            qCDebug(lcSerial) << "nothing more to take from the closing port:" << e.what();
        }
    }
    reading_ = false;
    closing_ = false;
    channel_.onBytesArrived({});
    if (all)
        channel_.closeAll();
    else
        channel_.close();
    sending_ = false;
    lastByteWasLineEnd_ = false;
    if (listener_)
        listener_->closed();
    // Dropped in order; a done() that submits again finds the port closed and is dropped too.
    std::deque<std::unique_ptr<Item>> dropped;
    if (current_)
        dropped.push_back(std::move(current_));
    std::move(queue_.begin(), queue_.end(), std::back_inserter(dropped));
    queue_.clear();
    inTurn_ = false;
    const QByteArray arrived = std::exchange(arrived_, QByteArray());
    answerKept_ = false;
    for (auto &item : dropped) {
        if (!item->request || !item->request->done)
            continue;
        Reply reply;
        reply.dropped = true;
        if (item->stage != Stage::Queued && item->stage != Stage::Fetching && item->stage != Stage::Gate) {
            reply.arrived = arrived;
            reply.first = first_;
            reply.anything = anything_;
        }
        item->request->done(reply);
    }
    notifyIdle();
}

void Conversation::prepareToClose()
{
    closing_ = true;
    updatePolling();
}

bool Conversation::isOpen() const
{
    return channel_.isOpen();
}

std::optional<std::uint32_t> Conversation::modemStatus()
{
    return channel_.modemStatus();
}

void Conversation::submit(Request request)
{
    auto item = std::make_unique<Item>();
    item->wait = request.wait;
    item->request = std::move(request);
    if (!reading_ && !channel_.isOpen()) {
        // Nothing can go out: dropped at once, as if the port had closed under it.
        if (item->request->done) {
            Reply reply;
            reply.dropped = true;
            item->request->done(reply);
        }
        return;
    }
    if (inTurn_) {
        // The turn holds the line: its exchanges go out now, in the order it gives them, and
        // are what the turn waited for the line as (a key's, a command's).
        item->ready = true;
        if (item->request->wait == Wait::None)
            item->wait = item->request->wait = turnWait_;
        if (!current_) {
            current_ = std::move(item);
            startCurrent();
            pump();
        } else {
            queue_.insert(queue_.begin() + std::min<std::ptrdiff_t>(turnInserted_, std::ptrdiff_t(queue_.size())),
                          std::move(item));
            ++turnInserted_;
        }
        return;
    }
    queue_.push_back(std::move(item));
    pump();
}

void Conversation::whenFree(Wait wait, std::function<void()> turn)
{
    if (!channel_.isOpen())
        return;
    auto item = std::make_unique<Item>();
    item->wait = wait;
    item->turn = std::move(turn);
    queue_.push_back(std::move(item));
    pump();
}

bool Conversation::isIdle() const
{
    return !current_ && queue_.empty() && !inTurn_;
}

void Conversation::pump()
{
    if (pumping_) {
        pumpAgain_ = true;
        return;
    }
    pumping_ = true;
    struct Done {
        bool &pumping;
        ~Done() { pumping = false; }
    } done{pumping_};
    do {
        pumpAgain_ = false;
        // Each item that ends at once (a turn, an exchange whose pause is over at once) lets
        // the next one begin.
        while (!current_ && !inTurn_ && reading_ && !queue_.empty()) {
            current_ = std::move(queue_.front());
            queue_.pop_front();
            startCurrent();
        }
    } while (pumpAgain_);
    updatePolling();
    if (isIdle())
        notifyIdle();
}

void Conversation::startCurrent()
{
    if (current_->ready) {
        go();
        return;
    }
    // What came before the write is no answer to it: taken first, also what the system holds.
    fetchThen(Stage::Fetching, [this] {
        if (!current_)
            return;
        gatePhase_ = 1;
        lineEndsAtGate_ = lineEnds_;
        if (current_->wait == Wait::None || gateOpen()) {
            go();
            return;
        }
        current_->stage = Stage::Gate;
        gateLimitMs_ = current_->wait == Wait::Key ? keyWaitMs : pauseWaitMs;
        gateTimer_.start(gateLimitMs_);
    });
}

bool Conversation::gateOpen() const
{
    if (!sending_)
        return true;
    if (current_->wait == Wait::Key || gatePhase_ == 2)
        return lastByteWasLineEnd_ || lineEnds_ > lineEndsAtGate_;
    return false;
}

void Conversation::gateStep()
{
    if (!current_ || current_->stage != Stage::Gate)
        return;
    if (gateOpen()) {
        go();
        return;
    }
    if (gateTimer_.isActive())
        return;
    // The time is up: a key goes now; a command waits once more, for the unit's line end.
    if (current_->wait == Wait::UnitPause && gatePhase_ == 1) {
        gatePhase_ = 2;
        lineEndsAtGate_ = lineEnds_;
        if (gateOpen()) {
            go();
            return;
        }
        gateTimer_.start(pauseWaitMs);
        return;
    }
    go();
}

void Conversation::go()
{
    gateTimer_.stop();
    gateLimitMs_ = 0;
    const unsigned epoch = epoch_;
    // A command into a text the unit has not paused in: the text is cut at its line end for
    // it (once: an exchange of a turn was cut for with the turn).
    if (current_->wait == Wait::UnitPause && !current_->ready && sending_ && listener_) {
        listener_->cutting(sinceMs(sendingSince_));
        if (epoch != epoch_ || !current_)
            return;
    }
    if (current_->turn) {
        std::function<void()> turn = std::move(current_->turn);
        turnWait_ = current_->wait;
        current_.reset();
        inTurn_ = true;
        turnInserted_ = 0;
        struct Done {
            bool &inTurn;
            ~Done() { inTurn = false; }
        } done{inTurn_};
        turn();
        return;
    }
    write();
}

void Conversation::write()
{
    Request &request = *current_->request;
    const unsigned epoch = epoch_;
    if (request.wanted && !request.wanted()) {
        std::unique_ptr<Item> item = std::move(current_);
        Reply reply;
        reply.dropped = true;
        reply.withdrawn = true;
        if (item->request->done)
            item->request->done(reply);
        return;
    }
    if (request.writing) {
        request.writing();
        if (epoch != epoch_ || !current_)
            return;
    }
    arrived_.clear();
    answerKept_ = false;
    first_.clear();
    anything_ = false;
    if (!request.bytes.isEmpty()) {
        try {
            channel_.write(request.bytes);
        } catch (const PortLostError &) {
            lineLost();
            throw;
        }
        if (listener_)
            listener_->written(request.bytes, request.wait);
        if (epoch != epoch_ || !current_)
            return;
    }
    if (request.sent) {
        request.sent();
        if (epoch != epoch_ || !current_)
            return;
    }
    writtenAt_ = clock_();
    current_->stage = Stage::Pause;
    if (request.pauseMs <= 0) {
        pauseOver();
        return;
    }
    updatePolling();
    pause_.start(request.pauseMs, [this, epoch] {
        if (epoch == epoch_)
            guarded([this] { pauseOver(); });
    });
}

void Conversation::pauseOver()
{
    if (!current_ || current_->stage != Stage::Pause)
        return;
    // What the unit answered in the pause is taken now, under the exchange it answers.
    fetchThen(Stage::FetchingAfterPause, [this] { afterPauseTaken(); });
}

void Conversation::afterPauseTaken()
{
    if (!current_)
        return;
    const Request &request = *current_->request;
    if (!request.answered) {
        finish(false);
        return;
    }
    if (request.answered(arrived_, quietNow())) {
        finish(true);
        return;
    }
    const std::int64_t left = request.answerWaitMs - sinceMs(writtenAt_);
    if (left <= 0) {
        finish(false);
        return;
    }
    current_->stage = Stage::Answer;
    answerTimer_.start(int(left));
    updatePolling();
}

void Conversation::checkAnswer(bool quiet)
{
    if (current_ && current_->stage == Stage::Answer && current_->request->answered(arrived_, quiet))
        finish(true);
}

void Conversation::finish(bool answered)
{
    answerTimer_.stop();
    std::unique_ptr<Item> item = std::move(current_);
    Reply reply;
    reply.arrived = std::exchange(arrived_, QByteArray());
    answerKept_ = false;
    reply.first = std::exchange(first_, QByteArray());
    reply.anything = std::exchange(anything_, false);
    reply.answered = answered;
    if (item->request->done)
        item->request->done(reply);
    pump();
}

QByteArray Conversation::take()
{
    try {
        return channel_.takeAvailable();
    } catch (const PortLostError &) {
        lineLost();
        throw;
    }
}

void Conversation::lineLost()
{
    // The port went: what it had read before is handed out once, heard and ended as a text,
    // before the loss is reported. Nothing more is read or written until it is closed.
    reading_ = false;
    for (QTimer *timer : {&pollTimer_, &quietTimer_, &gateTimer_, &fetchTimer_, &answerTimer_})
        timer->stop();
    pause_.stop();
    try {
        for (QByteArray rest = channel_.takeAvailable(); !rest.isEmpty(); rest = channel_.takeAvailable())
            hear(rest);
    } catch (const std::exception &e) {
        qCDebug(lcSerial) << "nothing more to take from the lost port:" << e.what();
    }
    if (sending_) {
        sending_ = false;
        if (listener_)
            listener_->quiet();
    }
}

void Conversation::hear(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const auto now = clock_();
    if (!sending_) {
        sending_ = true;
        sendingSince_ = now;
    }
    lastByteAt_ = now;
    quietRetries_ = 0;
    lineEnds_ += std::uint64_t(bytes.count('\n'));
    lastByteWasLineEnd_ = bytes.back() == '\n';
    if (current_ && current_->request
        && (current_->stage == Stage::Pause || current_->stage == Stage::FetchingAfterPause
            || current_->stage == Stage::Answer)) {
        anything_ = true;
        if (first_.size() < firstBytes)
            first_ += bytes.left(firstBytes - first_.size());
        // A unit that floods the line must not fill the memory while an answer is looked for:
        // past keptBytes only the newest bytes are kept, unless the answer is among what came,
        // which is then kept as it is, with nothing more added.
        if (!answerKept_) {
            arrived_ += bytes;
            if (arrived_.size() > keptBytes) {
                const auto &answered = current_->request->answered;
                if (answered && answered(arrived_, false))
                    answerKept_ = true;
                else
                    arrived_ = arrived_.right(keptTailBytes);
            }
        }
    }
    if (!quietTimer_.isActive())
        quietTimer_.start(protocol::quietMs);
    const unsigned epoch = epoch_;
    if (listener_)
        listener_->heard(bytes);
    if (epoch != epoch_)
        return;
    updatePolling();
    if (current_ && current_->stage == Stage::Answer)
        checkAnswer(false);
    else if (current_ && current_->stage == Stage::Gate)
        gateStep();
}

void Conversation::bytesArrived()
{
    if (!reading_)
        return;
    // In a pause the answer waits for its end, unless it continues a text the unit was sending.
    if (current_ && current_->stage == Stage::Pause && !sending_)
        return;
    hear(take());
    if (current_ && (current_->stage == Stage::Fetching || current_->stage == Stage::FetchingAfterPause))
        fetchDone();
}

void Conversation::quietTimeOver()
{
    if (!sending_ || !reading_)
        return;
    const std::int64_t quietFor = sinceMs(lastByteAt_);
    if (quietFor < protocol::quietMs) {
        quietTimer_.start(int(std::clamp<std::int64_t>(protocol::quietMs - quietFor, 1, protocol::quietMs)));
        return;
    }
    // Bytes the port holds, or the system holds and the port has not fetched yet, still
    // belong to this text: a program busy for a moment must not take its own lateness for
    // the unit's pause.
    if (const QByteArray late = take(); !late.isEmpty()) {
        hear(late);
        return;
    }
    if (channel_.holdsUnfetched() && quietRetries_ < mostFetchWaitMs) {
        ++quietRetries_;
        quietTimer_.start(1);
        return;
    }
    sending_ = false;
    lastByteWasLineEnd_ = false;
    const unsigned epoch = epoch_;
    if (listener_)
        listener_->quiet();
    if (epoch != epoch_)
        return;
    if (current_ && current_->stage == Stage::Gate)
        gateStep();
    else if (current_ && current_->stage == Stage::Answer)
        checkAnswer(true);
    if (epoch != epoch_)
        return;
    const bool wasPolling = pollTimer_.isActive();
    updatePolling();
    if (!wasPolling && pollTimer_.isActive() && listener_)
        listener_->polled();
}

void Conversation::fetchThen(Stage stage, const std::function<void()> &next)
{
    if (channel_.holdsUnfetched()) {
        current_->stage = stage;
        afterFetch_ = next;
        fetchTimer_.start(mostFetchWaitMs);
        return;
    }
    const unsigned epoch = epoch_;
    hear(take());
    if (epoch == epoch_)
        next();
}

void Conversation::fetchDone()
{
    fetchTimer_.stop();
    std::function<void()> next = std::exchange(afterFetch_, nullptr);
    if (!next)
        return;
    const unsigned epoch = epoch_;
    hear(take());
    if (epoch == epoch_)
        next();
}

void Conversation::poll()
{
    // Only a running poll ticks: a tick asked for in a pause, during a text or after the
    // close is none.
    if (!pollTimer_.isActive())
        return;
    pollTimer_.stop();
    const QByteArray bytes = take();
    if (!bytes.isEmpty()) {
        hear(bytes);
        return;
    }
    const unsigned epoch = epoch_;
    if (listener_)
        listener_->polled();
    if (epoch == epoch_)
        updatePolling();
}

void Conversation::updatePolling()
{
    const bool paused = current_ && (current_->stage == Stage::Pause || current_->stage == Stage::FetchingAfterPause);
    const bool wanted = reading_ && !closing_ && pollIntervalMs_ > 0 && !sending_ && !paused;
    if (!wanted)
        pollTimer_.stop();
    else if (!pollTimer_.isActive())
        pollTimer_.start(pollIntervalMs_);
}

bool Conversation::quietNow() const
{
    return !sending_ || sinceMs(lastByteAt_) >= protocol::quietMs;
}

std::int64_t Conversation::sinceMs(std::chrono::steady_clock::time_point t) const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - t).count();
}

void Conversation::notifyIdle()
{
    if (isIdle())
        emit becameIdle();
}
