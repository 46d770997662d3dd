// SPDX-License-Identifier: GPL-3.0-or-later
#include "rixsim/transportloop.h"

#include "rixsim/faults/answertiming.h"
#include "rixsim/faults/unitrate.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <system_error>
#include <unistd.h>

namespace rixsim {

namespace {
constexpr std::size_t readBlock = 4096;
} // namespace

Transport::Loop::Loop(Transport &owner, Clock::time_point start)
    : t_(owner)
    , framer_(t_.options_.quietGap)
    , flood_(t_.options_.flood, start, [this](std::string text) { note(std::move(text)); })
    , sendEvery_(t_.options_.sendEvery, t_.options_.sendEveryText, start)
    , textLines_(t_.options_.textLines, start)
    , hangup_(t_.options_.hangupAfter, t_.options_.hangupAfterWrites, start)
    , writer_(t_.port_, queue_, flood_, t_.options_.paced)
{
    t_.openingSends_.queueAtStart(queue_, start);
    if (t_.options_.replay) {
        replay_.emplace(t_.options_.replay, t_.options_.replayMismatch, t_.options_.replayEndStops);
        // A device's far end is always there: its first connection begins now.
        if (!t_.replayOpens_)
            replay_->lineOpened(start);
    }
}

RunEnd Transport::Loop::run()
{
    for (;;) {
        if (t_.stopRequested_.load())
            return RunEnd::Stopped;
        const Clock::time_point now = Clock::now();
        if (hangup_.timeUp(now))
            return hangUp("hung up");
        if (hangup_.lingering()) {
            if (hangup_.lingerOver(now, t_.port_.bytesNotTaken()))
                return hangUp(hangup_.afterWritesNote());
            // Nothing more is framed, answered or sent: the line is as good as gone.
            if (!waitAndServe(now))
                return RunEnd::LineLost;
            continue;
        }
        t_.inbox_.moveTo(queue_, now);
        sendEvery_.queueDue(queue_, now);
        textLines_.queueDue(queue_, now);
        if (replay_) {
            if (const std::optional<RunEnd> end = replayStep(now))
                return *end;
        }
        if (framer_.commandDue(now) || (replay_ && replay_->completesWrites(framer_.pending()))) {
            answer(now);
            if (replayMismatchStops_)
                return stopReplay(RunEnd::ReplayMismatch, "replay stopped");
        }
        flood_.refill(now, t_.options_.paced);

        if (!waitAndServe(now))
            return RunEnd::LineLost;
    }
}

void Transport::Loop::answer(Clock::time_point now)
{
    const Clock::time_point lastByte = framer_.lastByte();
    const std::string command = framer_.takeCommand();
    t_.record(TrafficEvent::Kind::Received, command, lastByte);
    if (replay_) {
        Replay::Heard heard = replay_->heard(command, lastByte);
        note(std::move(heard.note));
        replayMismatchStops_ = heard.stop;
        if (!heard.unitAnswers)
            return;
    }
    if (auto misheard = misheardAtRate(t_.options_.unitRate, t_.port_.lineRate())) {
        note(std::move(*misheard));
        return;
    }
    std::string answer;
    bool fellSilent = false;
    int writesBefore = 0;
    int writes = 0;
    {
        std::lock_guard lock(t_.unitMutex_);
        const bool wasSilent = t_.unit_.silent();
        writesBefore = t_.unit_.acceptedWrites();
        answer = t_.unit_.respond(command);
        fellSilent = !wasSilent && t_.unit_.silent();
        writes = t_.unit_.acceptedWrites();
    }
    // The log would otherwise show a unit that simply stops answering.
    if (fellSilent)
        note("falls silent after write " + std::to_string(writes));
    const bool hangupDue = hangup_.lastWrite(writesBefore, writes);
    if (answer.empty()) {
        if (hangupDue)
            hangup_.startLingering(now);
        return;
    }
    queueAnswer(queue_, std::move(answer), now, t_.options_.answerDelay, t_.options_.splitGap);
    if (hangupDue)
        queue_.back().whenOut = [this](Clock::time_point done) { hangup_.startLingering(done); };
}

// A queued send is out: it is logged, and the fault that queued it learns so.
bool Transport::Loop::sent(Send send, Clock::time_point done)
{
    if (send.whenOut)
        send.whenOut(done);
    t_.record(TrafficEvent::Kind::Sent, std::move(send.bytes), done);
    return !hangup_.lingering();
}

std::optional<RunEnd> Transport::Loop::replayStep(Clock::time_point now)
{
    replay_->queueDue(queue_, now);
    for (std::string &text : replay_->takeNotes())
        note(std::move(text));
    // What went out before the loss or the end was taken by the program before it, in the
    // recording: it is read first (or given up on after a while, as a hang-up after writes does).
    const bool lineTaken = queue_.empty() && t_.port_.bytesNotTaken() == 0;
    if (replay_->lineLostDue(now)) {
        if (lineTaken || (queue_.empty() && now - *replay_->deadline() >= Hangup::lingerLimit))
            return hangUp("hung up as recorded (the line was lost)");
    }
    if (replay_->stopsAtEnd() && replay_->atEnd() && lineTaken)
        return stopReplay(RunEnd::ReplayEnded, "replay ended");
    return std::nullopt;
}

RunEnd Transport::Loop::stopReplay(RunEnd end, std::string text)
{
    t_.port_.close();
    note(std::move(text));
    return end;
}

RunEnd Transport::Loop::hangUp(std::string text)
{
    t_.port_.close();
    note(std::move(text));
    return RunEnd::HungUp;
}

std::optional<Clock::time_point> Transport::Loop::nextDeadline(Clock::time_point now)
{
    // No I/O tells when the program has read the last answer.
    if (hangup_.lingering())
        return now + Hangup::checkEvery;
    std::optional<Clock::time_point> next;
    const auto consider = [&next](std::optional<Clock::time_point> at) {
        if (at && (!next || *at < *next))
            next = at;
    };
    consider(framer_.deadline());
    // An answer already due waits for POLLOUT, not for the clock; counting
    // its past due time here would make the loop spin on a full line.
    consider(queue_.dueAfter(now));
    if (const LineWriter::Source source = writer_.nextSource(now); source != LineWriter::Source::None) {
        const Clock::time_point at = writer_.nextByteAt(source);
        if (at > now)
            consider(at);
    }
    consider(hangup_.deadline());
    if (replay_) {
        // A loss that is due waits for the line to be read: looked at as often as the hang-up's.
        if (const auto at = replay_->deadline())
            consider(*at > now ? *at : now + Hangup::checkEvery);
        if (replay_->stopsAtEnd() && replay_->atEnd())
            consider(now + Hangup::checkEvery);
    }
    consider(sendEvery_.deadline());
    consider(textLines_.deadline());
    return next;
}

bool Transport::Loop::waitAndServe(Clock::time_point now)
{
    using Source = LineWriter::Source;
    const Source source = hangup_.lingering() ? Source::None : writer_.nextSource(now);
    const bool wantWrite = source != Source::None && writer_.nextByteAt(source) <= now;
    pollfd fds[4] = {
        {t_.port_.fd(), static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
        {t_.wakeFd_, POLLIN, 0},
        {t_.openingSends_.watchFd(), POLLIN, 0},
        {t_.replayOpens_ ? t_.replayOpens_->fd() : -1, POLLIN, 0},
    };
    timespec timeout{};
    timespec *timeoutPtr = nullptr;
    if (const auto next = nextDeadline(now)) {
        const auto wait = std::max(Clock::duration::zero(), *next - now);
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
        timeout.tv_nsec = static_cast<long>(ns % 1000000000);
        timeoutPtr = &timeout;
    }
    const int ready = ::ppoll(fds, 4, timeoutPtr, nullptr);
    if (ready < 0)
        return errno == EINTR ? true : fail(errno);
    if (fds[1].revents != 0) {
        // stop() or sendUnasked(): the loop looks at both at its top.
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(t_.wakeFd_, &count, sizeof count);
    }
    // Taken before the input, so that the text is queued ahead of the
    // answer to a command that came right after the open.
    if (fds[2].revents != 0 && t_.openingSends_.queueOnOpen(queue_))
        note("line opened");
    if (fds[3].revents != 0 && t_.replayOpens_->takeOpened()) {
        note("line opened");
        replay_->lineOpened(Clock::now());
    }
    if ((fds[0].revents & POLLIN) != 0 && !readInput())
        return false;
    if (!t_.stopRequested_.load() && wantWrite && (fds[0].revents & POLLOUT) != 0 && !write())
        return false;
    if ((fds[0].revents & (POLLIN | POLLOUT)) == 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return fail(EIO);
    if (!wantWrite && source != Source::None && writer_.pacedFor(source) && !write())
        return false; // the pacing deadline passed: write what is due now
    return true;
}

bool Transport::Loop::readInput()
{
    char buffer[readBlock];
    for (;;) {
        const ssize_t n = ::read(t_.port_.fd(), buffer, sizeof buffer);
        if (n > 0) {
            framer_.add(buffer, static_cast<std::size_t>(n), Clock::now());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return fail(n == 0 ? EIO : errno);
    }
}

bool Transport::Loop::write()
{
    const auto error = writer_.write([this](Send send, Clock::time_point done) { return sent(std::move(send), done); });
    return error ? fail(*error) : true;
}

bool Transport::Loop::fail(int error)
{
    t_.lineError_.store(error == 0 ? EIO : error);
    note("line lost: " + std::generic_category().message(t_.lineError_.load()));
    return false;
}

void Transport::Loop::note(std::string text)
{
    t_.record(TrafficEvent::Kind::Note, std::move(text));
}

} // namespace rixsim
