// SPDX-License-Identifier: GPL-3.0-or-later
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

// Lines per flood chunk when not paced: large enough that the pty buffer is
// kept full with few system calls, small enough that an answer does not wait
// long behind it. Paced, a chunk is one line, so that the flood ends on time
// and the line's rate is read again for every line.
constexpr int floodLinesPerChunk = 32;
constexpr std::size_t readBlock = 4096;
// Bytes written per wake-up at most, so that a fast reader of the flood
// cannot keep the loop from reading commands or noticing stop().
constexpr std::size_t writeBudget = 64 * 1024;
// Paced bytes go out in what is due at wake-ups at least this far apart, so
// that a fast rate does not wake the loop for every byte.
constexpr auto paceGranularity = std::chrono::milliseconds(1);
// The rate assumed when a pseudo-terminal's rate has no name (B0 or an
// unknown constant): the rate the terminal program opens with by default.
constexpr int fallbackRate = 19200;
constexpr int bitsPerCharacter = 10; // start bit, 8 data bits, stop bit
// A hang-up after a number of writes waits for the program to read the last
// answer, looking this often, and gives up waiting for a program that does
// not read after hangupLinger.
constexpr auto hangupCheck = std::chrono::milliseconds(2);
constexpr auto hangupLinger = std::chrono::seconds(2);

struct Pending {
    std::string bytes;
    Clock::time_point due;
    milliseconds gapBefore{0}; // pause after the previous item's last byte
    std::chrono::microseconds perByte{0}; // slowest pace wanted; 0: the line's
    bool repeating = false;               // queued by sendEvery
    Clock::duration spacing{0};           // fixed when its first byte goes out
    bool trickle = false;                 // perByte is slower than the line
    bool lastBeforeHangup = false;        // hangupAfterWrites: the last answer
};

} // namespace

// The state of one run(): what has been received but not yet framed, what is
// waiting to be written, where the flood stands and where the line's pace is.
class Transport::Loop {
public:
    Loop(Transport &owner, Clock::time_point start)
        : t_(owner)
    {
        if (!t_.options_.sendAtStart.empty())
            queue_.push_back({t_.options_.sendAtStart, start});
        if (!t_.options_.sendOnOpen.empty() && !t_.openWatch_)
            queue_.push_back({t_.options_.sendOnOpen, start});
        if (t_.options_.flood.count() > 0) {
            flooding_ = true;
            floodUntil_ = start + t_.options_.flood;
            t_.record(TrafficEvent::Kind::Note,
                      "flood started for " + std::to_string(t_.options_.flood.count()) + " ms");
        }
        if (t_.options_.hangupAfter)
            hangupAt_ = start + *t_.options_.hangupAfter;
        if (t_.options_.sendEvery.count() > 0 && !t_.options_.sendEveryText.empty())
            sendEveryAt_ = start + t_.options_.sendEvery;
    }

    RunEnd run()
    {
        for (;;) {
            if (t_.stopRequested_.load())
                return RunEnd::Stopped;
            const Clock::time_point now = Clock::now();
            if (hangupAt_ && now >= *hangupAt_)
                return hangUp("hung up");
            if (hangingUp_) {
                if (now >= hangupLatest_ || t_.port_.bytesNotTaken() == 0)
                    return hangUp("hung up after write " + std::to_string(t_.options_.hangupAfterWrites));
                // Nothing more is framed, answered or sent: the line is as good as gone.
                if (!waitAndServe(now))
                    return RunEnd::LineLost;
                continue;
            }
            takeUnasked(now);
            repeatSendEvery(now);
            if (!input_.empty() && now - lastByte_ >= t_.options_.quietGap)
                frameCommand(now);
            refillFlood(now);

            if (!waitAndServe(now))
                return RunEnd::LineLost;
        }
    }

private:
    enum class Source { None, Queue, Flood };

    RunEnd hangUp(std::string note)
    {
        t_.port_.close();
        t_.record(TrafficEvent::Kind::Note, std::move(note));
        return RunEnd::HungUp;
    }

    void startHangingUp(Clock::time_point now)
    {
        hangingUp_ = true;
        hangupLatest_ = now + hangupLinger;
    }

    void takeUnasked(Clock::time_point now)
    {
        std::lock_guard lock(t_.inboxMutex_);
        for (auto &text : t_.inbox_) {
            Pending item{std::move(text.bytes), now};
            item.perByte = text.perByte;
            queue_.push_back(std::move(item));
        }
        t_.inbox_.clear();
    }

    void repeatSendEvery(Clock::time_point now)
    {
        if (!sendEveryAt_ || now < *sendEveryAt_)
            return;
        if (!sendEveryQueued_) {
            Pending item{t_.options_.sendEveryText, now};
            item.repeating = true;
            queue_.push_back(std::move(item));
            sendEveryQueued_ = true;
        }
        while (*sendEveryAt_ <= now)
            *sendEveryAt_ += t_.options_.sendEvery;
    }

    void frameCommand(Clock::time_point now)
    {
        std::string command;
        command.swap(input_);
        t_.record(TrafficEvent::Kind::Received, command, lastByte_);
        if (const int unitRate = t_.options_.unitRate; unitRate > 0 && t_.port_.lineRate() != unitRate) {
            t_.record(TrafficEvent::Kind::Note, "not understood at " + std::to_string(t_.port_.lineRate())
                                                    + " baud: the unit works at " + std::to_string(unitRate));
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
            t_.record(TrafficEvent::Kind::Note, "falls silent after write " + std::to_string(writes));
        const int lastWrite = t_.options_.hangupAfterWrites;
        const bool hangupDue = lastWrite > 0 && writesBefore < lastWrite && writes >= lastWrite;
        if (answer.empty()) {
            if (hangupDue)
                startHangingUp(now);
            return;
        }
        const Clock::time_point due = now + t_.options_.answerDelay;
        const milliseconds split = t_.options_.splitGap;
        if (split.count() > 0 && answer.size() >= 2) {
            const std::size_t half = answer.size() / 2;
            queue_.push_back({answer.substr(0, half), due});
            queue_.push_back({answer.substr(half), due, split});
        } else {
            queue_.push_back({std::move(answer), due});
        }
        queue_.back().lastBeforeHangup = hangupDue;
    }

    void refillFlood(Clock::time_point now)
    {
        if (!flooding_ || floodOffset_ < floodChunk_.size())
            return;
        floodChunk_.clear();
        floodOffset_ = 0;
        floodSpacing_ = Clock::duration::zero();
        if (now >= floodUntil_) {
            flooding_ = false;
            t_.record(TrafficEvent::Kind::Note,
                      "flood finished after " + std::to_string(floodNext_ - 1) + " lines");
            return;
        }
        const int lines = t_.options_.paced ? 1 : floodLinesPerChunk;
        for (int i = 0; i < lines; ++i)
            floodChunk_ += floodLine(floodNext_++);
    }

    bool queueDue(Clock::time_point now) const { return !queue_.empty() && queue_.front().due <= now; }
    bool floodInLine() const { return floodOffset_ > 0 && floodOffset_ < floodChunk_.size(); }
    bool floodWaiting() const { return floodOffset_ < floodChunk_.size(); }

    // A flood line that is under way is finished first, so that queued
    // bytes never land inside one.
    Source nextSource(Clock::time_point now) const
    {
        if (!floodInLine() && queueDue(now))
            return Source::Queue;
        if (floodWaiting())
            return Source::Flood;
        return Source::None;
    }

    Clock::duration characterTime() const
    {
        const int rate = t_.port_.lineRate();
        const long long nanos = 1000000000LL * bitsPerCharacter / (rate > 0 ? rate : fallbackRate);
        return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanos));
    }

    // The time between two bytes of the source's current send. The rate is
    // read once per send, at its first byte, so a terminal program that
    // reconnects at another rate gets that rate from its next answer on.
    Clock::duration spacingOf(Source source)
    {
        Clock::duration &spacing = source == Source::Queue ? queue_.front().spacing : floodSpacing_;
        if (spacing == Clock::duration::zero()) {
            spacing = characterTime();
            if (source == Source::Queue && Clock::duration(queue_.front().perByte) > spacing) {
                spacing = queue_.front().perByte;
                queue_.front().trickle = true;
            }
        }
        return spacing;
    }

    // When the next byte of the source may be written: at once on a quiet
    // line, else one spacing after the previous byte's place in the schedule.
    Clock::time_point nextByteAt(Source source)
    {
        if (!pacedFor(source) || lineQuiet_)
            return Clock::time_point::min();
        return std::max(scheduledLast_ + spacingOf(source), lastWrite_ + paceGranularity);
    }

    bool trickling(Source source) const { return source == Source::Queue && queue_.front().trickle; }

    // A trickle keeps its pause even when the line is not paced: a test
    // asked for it explicitly.
    bool pacedFor(Source source)
    {
        if (t_.options_.paced)
            return true;
        if (source != Source::Queue || queue_.front().perByte.count() == 0)
            return false;
        spacingOf(source);
        return trickling(source);
    }

    // How many bytes of the source the schedule allows now. Bytes whose time
    // has passed (the loop woke late) all go, so a send keeps its length;
    // a trickle's pause is a minimum instead, as a receiver that times the
    // gaps between bytes expects, so it never catches up.
    std::size_t bytesDue(Source source, Clock::time_point now)
    {
        if (!pacedFor(source))
            return writeBudget;
        const Clock::duration spacing = spacingOf(source);
        if (lineQuiet_) {
            // The byte that was last on the line still takes its time.
            scheduledLast_ = std::max(scheduledLast_, now - spacing);
            lineQuiet_ = false;
        }
        const Clock::time_point first = scheduledLast_ + spacing;
        if (now < first)
            return 0;
        if (trickling(source))
            return 1;
        return static_cast<std::size_t>(1 + (now - first) / spacing);
    }

    // The earliest moment at which something is due without any I/O.
    std::optional<Clock::time_point> nextDeadline(Clock::time_point now)
    {
        // No I/O tells when the program has read the last answer.
        if (hangingUp_)
            return now + hangupCheck;
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
        if (const Source source = nextSource(now); source != Source::None) {
            const Clock::time_point at = nextByteAt(source);
            if (at > now)
                consider(at);
        }
        if (hangupAt_)
            consider(*hangupAt_);
        if (sendEveryAt_)
            consider(*sendEveryAt_);
        return next;
    }

    // Waits for input, room to write, a deadline, stop() or sendUnasked();
    // returns false when the line failed.
    bool waitAndServe(Clock::time_point now)
    {
        const Source source = hangingUp_ ? Source::None : nextSource(now);
        const bool wantWrite = source != Source::None && nextByteAt(source) <= now;
        pollfd fds[3] = {
            {t_.port_.fd(), static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
            {t_.wakeFd_, POLLIN, 0},
            {t_.openWatch_ ? t_.openWatch_->fd() : -1, POLLIN, 0},
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
        const int ready = ::ppoll(fds, 3, timeoutPtr, nullptr);
        if (ready < 0)
            return errno == EINTR ? true : fail(errno);
        if (fds[1].revents != 0) {
            // stop() or sendUnasked(): the loop looks at both at its top.
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t ignored = ::read(t_.wakeFd_, &count, sizeof count);
        }
        // Taken before the input, so that the text is queued ahead of the
        // answer to a command that came right after the open.
        if (fds[2].revents != 0 && t_.openWatch_->takeOpened()) {
            t_.openWatch_.reset();
            t_.record(TrafficEvent::Kind::Note, "line opened");
            queue_.push_back({t_.options_.sendOnOpen, Clock::now()});
        }
        if ((fds[0].revents & POLLIN) != 0 && !readInput())
            return false;
        if (!t_.stopRequested_.load() && wantWrite && (fds[0].revents & POLLOUT) != 0 && !writeOutput())
            return false;
        if ((fds[0].revents & (POLLIN | POLLOUT)) == 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return fail(EIO);
        if (!wantWrite && source != Source::None && pacedFor(source) && !writeOutput())
            return false; // the pacing deadline passed: write what is due now
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

    // Writes what is due (everything, when not paced) as far as the line
    // takes it without blocking.
    bool writeOutput()
    {
        std::size_t written = 0;
        while (written < writeBudget) {
            const Clock::time_point now = Clock::now();
            const Source source = nextSource(now);
            if (source == Source::None) {
                lineQuiet_ = true;
                return true;
            }
            std::string &buffer = source == Source::Queue ? queue_.front().bytes : floodChunk_;
            std::size_t &offset = source == Source::Queue ? queueOffset_ : floodOffset_;
            const std::size_t count = std::min(buffer.size() - offset, bytesDue(source, now));
            if (count == 0)
                return true;
            const ssize_t n = ::write(t_.port_.fd(), buffer.data() + offset, count);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // A full line restarts the schedule once it has room again
                // rather than catching up in one burst.
                lineQuiet_ = true;
                return true;
            }
            if (n <= 0)
                return fail(n == 0 ? EIO : errno);
            lastWrite_ = Clock::now();
            if (trickling(source))
                scheduledLast_ = lastWrite_;
            else if (t_.options_.paced)
                scheduledLast_ += spacingOf(source) * n;
            offset += static_cast<std::size_t>(n);
            written += static_cast<std::size_t>(n);
            if (offset < buffer.size())
                continue;
            if (source == Source::Queue)
                finishQueued();
            else
                refillFlood(Clock::now());
            if (hangingUp_)
                return true;
        }
        return true;
    }

    void finishQueued()
    {
        const Clock::time_point done = Clock::now();
        if (queue_.front().repeating)
            sendEveryQueued_ = false;
        if (queue_.front().lastBeforeHangup)
            startHangingUp(done);
        t_.record(TrafficEvent::Kind::Sent, std::move(queue_.front().bytes), done);
        queue_.pop_front();
        queueOffset_ = 0;
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
    std::size_t queueOffset_ = 0;
    bool flooding_ = false;
    Clock::time_point floodUntil_{};
    std::uint64_t floodNext_ = 1;
    std::string floodChunk_;
    std::size_t floodOffset_ = 0;
    Clock::duration floodSpacing_{0};
    std::optional<Clock::time_point> hangupAt_;
    bool hangingUp_ = false; // hangupAfterWrites reached: waiting for the last answer to be read
    Clock::time_point hangupLatest_{};
    std::optional<Clock::time_point> sendEveryAt_;
    bool sendEveryQueued_ = false;
    // The pace: where the last written byte stands in the schedule, and
    // whether the line has been quiet since (a new send then starts at once).
    bool lineQuiet_ = true;
    Clock::time_point scheduledLast_{};
    Clock::time_point lastWrite_{};
};

Transport::Transport(SimPort port, Unit unit, TransportOptions options)
    : port_(std::move(port))
    , path_(port_.path())
    , unit_(std::move(unit))
    , options_(std::move(options))
{
    // Made here, before anyone can know the path, so that no open is missed.
    if (!options_.sendOnOpen.empty() && port_.isPseudoTerminal() && port_.isOpen())
        openWatch_.emplace(path_);
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
    wake();
}

void Transport::sendUnasked(std::string bytes, std::chrono::microseconds perByte)
{
    if (bytes.empty())
        return;
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.push_back({std::move(bytes), perByte});
    }
    wake();
}

void Transport::wake() noexcept
{
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
