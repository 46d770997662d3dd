// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The receive path's own state: the poll timer tmr1, the burst being read and its quiet
// timer, and the receive engine that turns bytes into lines. The poll opens a burst when it
// finds bytes waiting; bytes are added as they arrive, and the burst is shown once the line
// has been quiet for the engine's quiet time after its last byte. Nothing here waits on the
// port: the event loop runs while a burst is open.
//
// The poll timer is the guard of the port: every sender stops it before writing and starts
// it after its pause, and a burst keeps it off until it is shown, so reading and writing
// never overlap.

#include "unit/protocol/receiveengine.h"

#include <QByteArray>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>

class QEventLoop;

class Receiver {
public:
    // The poll timer's interval: the lamps are refreshed this often. Bytes that arrive while
    // it runs open a burst at once, so an answer is in the list about the quiet time after
    // the unit's last byte.
    static constexpr int pollIntervalMs = 50;
    // A user's action waits at most this long for an open burst to end by itself or for the
    // unit to end the text it is sending; only a text without a line end runs that long.
    static constexpr int inputWaitMs = 1000;
    // A key's release waits at most this long: it must be on the line within 50 ms of the
    // mouse-up, and its five bytes take another 10.4 ms at 4800 baud.
    static constexpr int releaseWaitMs = 25;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Receiver();

    // The text being read and the rules that show it.
    ReceiveEngine engine;

    // Polling: tmr1 runs.
    void startPolling() { tmr1_.start(); }
    void stopPolling() { tmr1_.stop(); }
    bool isPolling() const { return tmr1_.isActive(); }
    const QTimer &pollTimer() const { return tmr1_; }
    // Wakes the receive path when the quiet time may be over.
    const QTimer &quietTimer() const { return quietTimer_; }

    bool isOpen() const { return engine.isOpen(); }
    // Bytes were taken from the line: the quiet time runs from now. A text that ended with
    // them ends a wait for it.
    void bytesTaken();
    // Whether the quiet time has passed since the last bytes were taken. If not, the quiet
    // timer is set for the rest.
    bool quietTimePassed();
    // Reading stops: the burst was shown. `watchForQuiet`: the text was split for a user's
    // action, and the quiet timer goes on so the quiet time that ends it is noticed.
    void close(bool watchForQuiet);

    // Runs the event loop, user input excluded, until the burst has closed, the unit has
    // ended the text it was sending (a line end now or since the wait began), or `ms`
    // passed.
    void waitForTextEnd(int ms);

    // Hears every byte the receive path takes from the line, as it is taken; set only while
    // the „Parametersatz …“ dialog talks to the unit.
    std::function<void(const QByteArray &)> listener;

    // The clock the quiet time is measured with; tests set their own.
    void setClock(Clock clock) { clock_ = std::move(clock); }

private:
    QTimer tmr1_;
    QTimer quietTimer_;
    Clock clock_;
    std::chrono::steady_clock::time_point lastBytesAt_{};
    bool textEnded() const;

    QEventLoop *waiting_ = nullptr;
    std::uint64_t lineEndsBeforeWait_ = 0;
};
