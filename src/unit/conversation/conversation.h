// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one conversation with a unit over one port: every part of the program that talks to a
// unit (the window's buttons and command line, the parameter dialog, rix-param, the unit
// search) writes through it and hears through it. It owns the open channel and is driven by
// the event loop; no call waits.
//
// It keeps a queue of exchanges, in order. An exchange is the bytes to write, the pause that
// follows (while it runs nothing else goes out and nothing is read: what the unit answers is
// taken at its end), and, where an answer is awaited, how it is recognised by what it says,
// with its time limit. A window's handler is queued as a turn of its own: it runs when the
// line is free, and the exchanges it submits go out at once, before anything queued after it.
//
// When a queued write may go out while the unit is sending is decided here, once: a command
// after the unit's pause (at most pauseWaitMs, then at its next line end, at most as long
// again), a key at the next line end or pause within keyWaitMs. What the unit sends is taken
// in one place and handed to one listener (the window's display and, through the port, the
// recording); an exchange's own bytes also go to the exchange.

#include "unit/line/serialchannel.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

// Holds the line for a write's pause and says when it is over. The program's is a precise
// timer; a test's may end it at once, or record it.
class LinePause {
public:
    virtual ~LinePause() = default;
    // `over` runs from the event loop once `ms` have passed, unless stop() comes first.
    virtual void start(int ms, std::function<void()> over) = 0;
    virtual void stop() = 0;
};

class Conversation : public QObject {
    Q_OBJECT
public:
    // How long a command waits for a unit that is sending to pause, and after that as long
    // again for its next line end.
    static constexpr int pauseWaitMs = 1000;
    // How long a key's press or release waits for a line end or a pause: it must be on the
    // line within 50 ms of the mouse, and its five bytes take another 10.4 ms at 4800 baud.
    static constexpr int keyWaitMs = 25;
    // How long the write of an exchange waits for the port to hand over what the system has
    // already received (it is there, so this takes microseconds).
    static constexpr int mostFetchWaitMs = 20;
    // An exchange's bytes are kept up to this many; past it only the newest keptTailBytes.
    static constexpr qsizetype keptBytes = 65536;
    static constexpr qsizetype keptTailBytes = 4096;
    // What a reply quotes of the first bytes that came.
    static constexpr qsizetype firstBytes = 64;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // How a write waits for a unit that is sending.
    enum class Wait {
        None,        // as soon as the line is free (rix-param, the search)
        UnitPause,   // a command: after the unit's pause, at most pauseWaitMs; then at its line end
        Key,         // a key: at the unit's next line end or pause, at most keyWaitMs
    };

    struct Reply {
        QByteArray arrived;      // taken from the write to the end (bounded, the newest kept)
        QByteArray first;        // the first bytes that came, for a message
        bool anything = false;   // whether any byte came at all
        bool answered = false;   // the awaited answer was recognised
        bool dropped = false;    // never written, or cut short: the port closed or was lost
        bool withdrawn = false;  // never written: no longer wanted when its turn came
    };

    struct Request {
        QByteArray bytes;        // written as they are, nothing added; may be empty (a pause only)
        int pauseMs = 0;         // after the write
        Wait wait = Wait::None;
        // Whether `arrived` (every byte since the write) holds the answer whole; `quiet`: the
        // line has been quiet for the unit's quiet time since its last byte. None: no answer
        // is awaited, and the exchange ends with its pause.
        std::function<bool(const QByteArray &arrived, bool quiet)> answered;
        // Counted from the write; an exchange whose answer is awaited ends at the latest then
        // (never before its pause is over).
        int answerWaitMs = 0;
        // Asked when the line has become the exchange's: false withdraws it, nothing goes out
        // and it ends dropped (the user cancelled while it waited).
        std::function<bool()> wanted;
        // Runs just before the bytes go out, when the line is the exchange's …
        std::function<void()> writing;
        // … and once they went out, before the pause.
        std::function<void()> sent;
        // The exchange is over (or dropped). May submit the next one.
        std::function<void(const Reply &)> done;
    };

    // Hears what the conversation does with the line, in order.
    class Listener {
    public:
        virtual ~Listener() = default;
        // Bytes taken off the line, every one, in the order they came.
        virtual void heard(const QByteArray &bytes) = 0;
        // The line has been quiet for the unit's quiet time after its last byte.
        virtual void quiet() {}
        // A command goes out into a text the unit has not paused in for the whole wait.
        virtual void cutting(std::int64_t sendingForMs) { (void)sendingForMs; }
        // Bytes went out (not called for an empty write).
        virtual void written(const QByteArray &bytes, Wait wait) { (void)bytes; (void)wait; }
        // A poll found nothing to read, or a text ended and polling goes on: the modem lines
        // may be looked at.
        virtual void polled() {}
        // The port opened; the port closed (after the listener heard the last bytes taken).
        virtual void opened() {}
        virtual void closed() {}
    };

    // Runs the conversation's own steps (from timers and the port's notifier). The owner
    // decides what a failure means; by default it goes to onFailure.
    using Guard = std::function<void(const std::function<void()> &step)>;

    explicit Conversation(SerialChannel &channel, LinePause *pause = nullptr, QObject *parent = nullptr);
    ~Conversation() override;
    Conversation(const Conversation &) = delete;
    Conversation &operator=(const Conversation &) = delete;

    void setListener(Listener *listener) { listener_ = listener; }
    void setGuard(Guard guard) { guard_ = std::move(guard); }
    void onFailure(std::function<void(std::exception_ptr)> failed) { failed_ = std::move(failed); }
    // The clock the unit's pauses and the waits are measured with; tests set their own.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    std::chrono::steady_clock::time_point now() const { return clock_(); }
    // The poll timer's interval while the line is open and quiet; 0: no polling (what the
    // unit sends is heard as it arrives all the same).
    void setPollInterval(int ms);

    // Opens the port; throws the channel's RixError. Polling starts.
    void open(const PortSettings &settings);
    // What the port still holds is taken (the listener hears it), then it closes. Every
    // queued exchange ends dropped, in order; queued turns are dropped without running.
    void close() { closeWith(false); }
    // The same as the program ends: every port the channel holds is closed.
    void closeAll() { closeWith(true); }
    // The port is about to close: it is no longer polled; what comes is still taken as it
    // arrives, and queued exchanges still go out.
    void prepareToClose();
    bool isOpen() const;
    std::optional<std::uint32_t> modemStatus();

    void submit(Request request);
    // `turn` runs once the line is free and `wait` lets a write go out; what it submits goes
    // out first. Never runs when the port closes before.
    void whenFree(Wait wait, std::function<void()> turn);
    // Nothing queued, nothing running.
    bool isIdle() const;

    // The poll timer (tmr1): it runs while the line is open and quiet; its owner connects its
    // tick to poll() (the window runs it as its own event), which takes what has come, and
    // with nothing there lets the listener look at the modem lines.
    const QTimer &pollTimer() const { return pollTimer_; }
    bool isPolling() const { return pollTimer_.isActive(); }
    void poll();

    // The quiet timer's check: the unit has paused once the line has been quiet for its quiet
    // time (by the clock; tests with their own clock call it themselves).
    void quietTimeOver();

    // The unit is sending: bytes came and the line has not been quiet since.
    bool unitSending() const { return sending_; }
    // The limit of the wait a queued write is in now, 0 when none (for the log and tests).
    int gateLimitMs() const { return gateLimitMs_; }

signals:
    // Nothing is queued or running any more.
    void becameIdle();

private:
    enum class Stage { Queued, Fetching, Gate, Pause, FetchingAfterPause, Answer };
    struct Item;

    void closeWith(bool all);
    void guarded(const std::function<void()> &step);
    void pump();
    // The exchange or turn in current_ begins: what came before it is taken, then it waits
    // for the unit as its Wait says.
    void startCurrent();
    void gateStep();
    bool gateOpen() const;
    void go();
    void write();
    void pauseOver();
    void afterPauseTaken();
    void finish(bool answered);
    void checkAnswer(bool quiet);

    // Takes what the port hands out now; throws the port's errors (a loss after the listener
    // has heard everything that was read before it).
    QByteArray take();
    void hear(const QByteArray &bytes);
    void bytesArrived();
    // Lets the port fetch what the system holds (at most mostFetchWaitMs), then takes it and
    // runs `next`.
    void fetchThen(Stage stage, const std::function<void()> &next);
    void fetchDone();
    void lineLost();
    void updatePolling();
    bool quietNow() const;
    std::int64_t sinceMs(std::chrono::steady_clock::time_point t) const;
    void notifyIdle();

    SerialChannel &channel_;
    std::unique_ptr<LinePause> ownPause_;
    LinePause &pause_;
    Listener *listener_ = nullptr;
    Guard guard_;
    std::function<void(std::exception_ptr)> failed_;
    Clock clock_;

    std::unique_ptr<Item> current_;   // the exchange on the line, or the turn about to run
    std::deque<std::unique_ptr<Item>> queue_;
    bool inTurn_ = false;            // a turn runs: what it submits goes out first
    std::ptrdiff_t turnInserted_ = 0;
    Wait turnWait_ = Wait::None;
    bool pumping_ = false;
    bool pumpAgain_ = false;
    bool reading_ = false;   // open and listening
    bool closing_ = false;   // about to close: not polled
    unsigned epoch_ = 0;     // grows at every open and close: a step that called out checks it

    QTimer pollTimer_;
    QTimer quietTimer_;
    QTimer gateTimer_;
    QTimer fetchTimer_;
    QTimer answerTimer_;
    int pollIntervalMs_ = 0;
    int gateLimitMs_ = 0;
    int gatePhase_ = 0;
    std::uint64_t lineEndsAtGate_ = 0;
    std::function<void()> afterFetch_;

    bool sending_ = false;
    bool lastByteWasLineEnd_ = false;
    std::uint64_t lineEnds_ = 0;
    int quietRetries_ = 0;
    std::chrono::steady_clock::time_point lastByteAt_{};
    std::chrono::steady_clock::time_point sendingSince_{};
    std::chrono::steady_clock::time_point writtenAt_{};
    QByteArray arrived_;
    bool answerKept_ = false;   // the answer is in arrived_, which takes no more bytes
    QByteArray first_;
    bool anything_ = false;
};
