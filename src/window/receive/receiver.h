// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door for what the unit sends. Only this object takes bytes from the port, in one
// place (take()), whatever brings it there: the poll timer tmr1, the port's "bytes arrived",
// the quiet timer, a lost port, a handler that is about to write, a port that is closing.
// It owns the burst: the poll opens it when bytes are waiting, bytes are added as they
// arrive, and it is shown once the line has been quiet for the engine's quiet time after its
// last byte. The command line, flag and rate that decide how a text is shown are taken with
// its first byte. The recording hears every byte taken (the port it reads is the recorded
// one), and so does a listener.
//
// Nothing here waits on the port: the event loop runs while a burst is open. A handler that
// writes waits, the event loop running but user input held back in order, until the unit
// has paused (see beforeWrite()); a handler that writes nothing never comes here.
//
// The poll timer is the guard of the port: every sender stops it before writing and starts
// it after its pause, and a burst keeps it off until it is shown, so a command's answer is
// read after its pause and reading and writing never overlap.

#include "unit/protocol/receiveengine.h"
#include "window/actions.h"

#include <QByteArray>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>

class TimedWait;
struct Program;

class Receiver {
public:
    // The poll timer's interval: the lamps are refreshed this often. Bytes that arrive while
    // it runs open a burst at once, so an answer is in the list about the quiet time after
    // the unit's last byte.
    static constexpr int pollIntervalMs = 50;
    // A handler that writes waits this long for the unit to pause, and after that as long
    // again for the unit's next line end; a unit that never pauses is shown this often.
    static constexpr int pauseWaitMs = 1000;
    // A key's press or release waits at most this long: it must be on the line within 50 ms
    // of the mouse, and its five bytes take another 10.4 ms at 4800 baud.
    static constexpr int keyWaitMs = 25;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Receiver();
    // The program whose port, lists and recording the door serves; set once, before any event.
    void attach(Program &p) { p_ = &p; }

    // Polling: tmr1 runs.
    void startPolling() { tmr1_.start(); }
    void stopPolling();
    bool isPolling() const { return tmr1_.isActive(); }
    const QTimer &pollTimer() const { return tmr1_; }
    // Wakes the receive path when the quiet time may be over.
    const QTimer &quietTimer() const { return quietTimer_; }

    // A burst is being read: bytes came and the line has not been quiet since.
    bool isOpen() const { return engine_.isOpen(); }

    // The ways in. Each may throw the port's errors (a lost port, a failed read), which the
    // guarded dispatch reports.
    // tmr1's tick: what is waiting opens a burst; else the lamps, and polling goes on.
    void poll();
    // The port has new bytes: into the open burst, or they open one while polling; during a
    // send's pause they wait for the tick after it.
    void bytesArrived();
    // The quiet timer: the burst is shown if the line has been quiet long enough.
    void quietTimeOver();
    // The port is gone (called before it is closed): everything it still hands out is shown
    // by the rules; nothing more is read.
    void portLost();
    // A failure ended the handler that was reading, or the port closes: the burst is not
    // read on, and a disconnect's closing is over.
    void stopReading();
    // The disconnect's command went out and the port closes after its pause: what was taken
    // before it is shown, nothing after it (portClosing() takes that for the recording).
    void closingAfterCommand();
    // The port is about to close without reading on (a disconnect, the program's end): what
    // the unit sent meanwhile is taken, so the recording has it, and not shown.
    void portClosing();
    // A handler of kind `line` is about to write: what the port has received by now is
    // taken first, as the poll would, and an open burst is read on until the unit pauses (at
    // most pauseWaitMs, then to its next line end, at most as long again), or, for a key,
    // until a pause or a line end within keyWaitMs. A text still coming is then cut at its
    // last line end, and said in the log and the recording.
    void beforeWrite(Line line);
    // What the port and the system hold now, taken as the poll would take it (nothing in a
    // send's pause).
    void takeWaiting();
    // `command` went out: its answer is a new text; sent into a text the unit was still
    // sending, the unit's lines are shown one by one until it pauses, at most pauseWaitMs,
    // whole but for the command's answer.
    void commandWritten(const QByteArray &command);

    // Hears every byte the door takes from the line, as it is taken; set only while the
    // „Parametersatz …“ dialog talks to the unit.
    std::function<void(const QByteArray &)> listener;

    // The clock the quiet time and the waits are measured with; tests set their own.
    void setClock(Clock clock) { clock_ = std::move(clock); }

private:
    enum class From { Port, System };
    // The one place the port is read: what it hands out now (From::System: also what the
    // system holds that the port has not fetched yet).
    QByteArray take(From from);
    void add(const QByteArray &bytes);
    void showLines(const ReceiveEngine::Shown &shown);
    // The unit has paused and everything is shown: a poll the burst held off goes on.
    void finishBurst();

    // Whether the quiet time has passed since the last bytes were taken. If not, the quiet
    // timer is set for the rest.
    bool quietTimePassed();
    // A text is being read, or was cut and may go on.
    bool reading() const { return engine_.isOpen() || engine_.awaitsContinuation(); }
    // That, or the unit's lines are shown one by one: the quiet time that ends it is awaited.
    bool busy() const { return reading() || engine_.showsLineByLine(); }
    enum class Until { Pause, PauseOrLineEnd, LineEnd };
    // Runs the event loop, user input held back, until `until` or `ms` passed.
    void waitFor(Until until, int ms);
    bool waitIsOver() const;
    std::int64_t sinceMs(std::chrono::steady_clock::time_point t) const;

    Program *p_ = nullptr;
    bool burstHoldsPolling_ = false;
    bool closing_ = false;   // between the disconnect's command and the port's close
    ReceiveEngine engine_;
    QTimer tmr1_;
    QTimer quietTimer_;
    Clock clock_;
    std::chrono::steady_clock::time_point lastBytesAt_{};
    std::chrono::steady_clock::time_point lastShownAt_{};
    std::chrono::steady_clock::time_point burstSince_{};
    std::chrono::steady_clock::time_point lineByLineSince_{};

    TimedWait *waiting_ = nullptr;
    Until waitingUntil_ = Until::Pause;
    std::uint64_t lineEndsBeforeWait_ = 0;
};
