#include "rixsim/transport.h"

#include "rixsim/flood.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace rixsim {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// Lines per flood chunk: large enough that the pty buffer is kept full with
// few system calls, small enough that an answer does not wait long behind it.
constexpr int floodLinesPerChunk = 32;
constexpr std::size_t readBlock = 4096;
// Bytes written per wake-up at most, so that a fast reader of the flood
// cannot keep the loop from reading commands or noticing stop().
constexpr std::size_t writeBudget = 64 * 1024;

struct Pending {
    std::string bytes;
    Clock::time_point due;
    milliseconds gapBefore{0}; // pause after the previous item's last byte
};

} // namespace

// The state of one run(): what has been received but not yet framed, what is
// waiting to be written, and where the flood stands.
class Transport::Loop {
public:
    Loop(Transport &owner, Clock::time_point start)
        : t_(owner)
    {
        if (!t_.options_.sendAtStart.empty())
            queue_.push_back({t_.options_.sendAtStart, start, milliseconds{0}});
        if (t_.options_.flood.count() > 0) {
            flooding_ = true;
            floodUntil_ = start + t_.options_.flood;
            t_.record(TrafficEvent::Kind::Note,
                      "flood started for " + std::to_string(t_.options_.flood.count()) + " ms");
        }
        if (t_.options_.hangupAfter)
            hangupAt_ = start + *t_.options_.hangupAfter;
    }

    RunEnd run()
    {
        for (;;) {
            if (t_.stopRequested_.load())
                return RunEnd::Stopped;
            const Clock::time_point now = Clock::now();
            if (hangupAt_ && now >= *hangupAt_) {
                t_.port_.close();
                t_.record(TrafficEvent::Kind::Note, "hung up");
                return RunEnd::HungUp;
            }
            if (!input_.empty() && now - lastByte_ >= t_.options_.quietGap)
                frameCommand(now);
            refillFlood(now);

            if (!waitAndServe(now))
                return RunEnd::LineLost;
        }
    }

private:
    void frameCommand(Clock::time_point now)
    {
        std::string command;
        command.swap(input_);
        t_.record(TrafficEvent::Kind::Received, command, lastByte_);
        std::string answer;
        {
            std::lock_guard lock(t_.unitMutex_);
            answer = t_.unit_.respond(command);
        }
        if (answer.empty())
            return;
        const Clock::time_point due = now + t_.options_.answerDelay;
        const milliseconds split = t_.options_.splitGap;
        if (split.count() > 0 && answer.size() >= 2) {
            const std::size_t half = answer.size() / 2;
            queue_.push_back({answer.substr(0, half), due, milliseconds{0}});
            queue_.push_back({answer.substr(half), due, split});
        } else {
            queue_.push_back({std::move(answer), due, milliseconds{0}});
        }
    }

    void refillFlood(Clock::time_point now)
    {
        if (!flooding_ || floodOffset_ < floodChunk_.size())
            return;
        floodChunk_.clear();
        floodOffset_ = 0;
        if (now >= floodUntil_) {
            flooding_ = false;
            t_.record(TrafficEvent::Kind::Note,
                      "flood finished after " + std::to_string(floodNext_ - 1) + " lines");
            return;
        }
        for (int i = 0; i < floodLinesPerChunk; ++i)
            floodChunk_ += floodLine(floodNext_++);
    }

    bool answerDue(Clock::time_point now) const { return !queue_.empty() && queue_.front().due <= now; }
    bool floodInLine() const { return floodOffset_ > 0 && floodOffset_ < floodChunk_.size(); }
    bool floodWaiting() const { return floodOffset_ < floodChunk_.size(); }

    // The earliest moment at which something is due without any I/O.
    std::optional<Clock::time_point> nextDeadline(Clock::time_point now) const
    {
        std::optional<Clock::time_point> next;
        const auto consider = [&next](Clock::time_point at) {
            if (!next || at < *next)
                next = at;
        };
        if (!input_.empty())
            consider(lastByte_ + t_.options_.quietGap);
        // An answer already due waits for POLLOUT, not for the clock; counting
        // its past due time here would make the loop spin on a full line.
        if (!queue_.empty() && queue_.front().due > now)
            consider(queue_.front().due);
        if (hangupAt_)
            consider(*hangupAt_);
        return next;
    }

    // Waits for input, room to write, a deadline or stop(); returns false when
    // the line failed.
    bool waitAndServe(Clock::time_point now)
    {
        const bool wantWrite = answerDue(now) || floodWaiting();
        pollfd fds[2] = {
            {t_.port_.fd(), static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
            {t_.wakeFd_, POLLIN, 0},
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
        const int ready = ::ppoll(fds, 2, timeoutPtr, nullptr);
        if (ready < 0)
            return errno == EINTR ? true : fail(errno);
        if (fds[1].revents != 0)
            return true; // stop() was called; the loop checks the flag
        if ((fds[0].revents & POLLIN) != 0 && !readInput())
            return false;
        if ((fds[0].revents & POLLOUT) != 0 && !writeOutput())
            return false;
        if ((fds[0].revents & (POLLIN | POLLOUT)) == 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return fail(EIO);
        return true;
    }

    bool readInput()
    {
        char buffer[readBlock];
        for (;;) {
            const ssize_t n = ::read(t_.port_.fd(), buffer, sizeof buffer);
            if (n > 0) {
                input_.append(buffer, static_cast<std::size_t>(n));
                lastByte_ = Clock::now();
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            return fail(n == 0 ? EIO : errno);
        }
    }

    // Writes as much as the line takes without blocking. A flood line that
    // is under way is finished first, so answers never land inside one.
    bool writeOutput()
    {
        std::size_t written = 0;
        while (written < writeBudget) {
            const Clock::time_point now = Clock::now();
            std::string *buffer = nullptr;
            std::size_t *offset = nullptr;
            bool isAnswer = false;
            if (!floodInLine() && answerDue(now)) {
                buffer = &queue_.front().bytes;
                offset = &answerOffset_;
                isAnswer = true;
            } else if (floodWaiting()) {
                buffer = &floodChunk_;
                offset = &floodOffset_;
            } else {
                return true;
            }
            const ssize_t n = ::write(t_.port_.fd(), buffer->data() + *offset, buffer->size() - *offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return true;
            if (n <= 0)
                return fail(n == 0 ? EIO : errno);
            *offset += static_cast<std::size_t>(n);
            written += static_cast<std::size_t>(n);
            if (*offset < buffer->size())
                continue;
            if (isAnswer)
                finishAnswer();
            else
                refillFlood(Clock::now());
        }
        return true;
    }

    void finishAnswer()
    {
        const Clock::time_point done = Clock::now();
        t_.record(TrafficEvent::Kind::Sent, std::move(queue_.front().bytes), done);
        queue_.pop_front();
        answerOffset_ = 0;
        if (!queue_.empty() && queue_.front().gapBefore.count() > 0)
            queue_.front().due = std::max(queue_.front().due, done + queue_.front().gapBefore);
    }

    bool fail(int error)
    {
        t_.lineError_.store(error == 0 ? EIO : error);
        t_.record(TrafficEvent::Kind::Note,
                  "line lost: " + std::generic_category().message(t_.lineError_.load()));
        return false;
    }

    Transport &t_;
    std::string input_;
    Clock::time_point lastByte_{};
    std::deque<Pending> queue_;
    std::size_t answerOffset_ = 0;
    bool flooding_ = false;
    Clock::time_point floodUntil_{};
    std::uint64_t floodNext_ = 1;
    std::string floodChunk_;
    std::size_t floodOffset_ = 0;
    std::optional<Clock::time_point> hangupAt_;
};

Transport::Transport(SimPort port, Unit unit, TransportOptions options)
    : port_(std::move(port))
    , path_(port_.path())
    , unit_(std::move(unit))
    , options_(std::move(options))
{
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

Transport::~Transport()
{
    ::close(wakeFd_);
}

RunEnd Transport::run()
{
    if (!port_.isOpen()) {
        lineError_.store(EBADF);
        return RunEnd::LineLost;
    }
    Loop loop(*this, Clock::now());
    return loop.run();
}

void Transport::stop() noexcept
{
    stopRequested_.store(true);
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
}

Unit Transport::unit() const
{
    std::lock_guard lock(unitMutex_);
    return unit_;
}

void Transport::record(TrafficEvent::Kind kind, std::string bytes, std::optional<Clock::time_point> at)
{
    TrafficEvent event{kind, at.value_or(Clock::now()), std::move(bytes)};
    if (options_.onEvent) {
        log_.append(event);
        options_.onEvent(event);
    } else {
        log_.append(std::move(event));
    }
}

} // namespace rixsim
