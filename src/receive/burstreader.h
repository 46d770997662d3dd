#pragma once
// The burst being read, on the window's side: the quiet timer and the wait of a user's
// action. The bytes and the rules that turn them into lines are the engine's. The poll opens
// a burst when it finds bytes waiting; bytes are added as they arrive, and the burst is shown
// once the line has been quiet for kQuietMs after its last byte. Nothing here waits on the
// port: the event loop runs while a burst is open.

#include "receive/receiveengine.h"

#include <QTimer>
#include <chrono>
#include <functional>

class QEventLoop;

class BurstReader {
public:
    static constexpr int kQuietMs = 20;
    // A user's action waits at most this long for an open burst to end by itself.
    static constexpr int kInputWaitMs = 1000;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    BurstReader();

    // The text being read and the rules that show it.
    ReceiveEngine engine;
    bool isOpen() const { return engine.isOpen(); }

    // Bytes were taken from the line: the quiet time runs from now.
    void bytesTaken();
    // Whether kQuietMs have passed since the last bytes were taken. If not, the quiet timer
    // is set for the rest.
    bool quietTimePassed();
    // Reading stops: the burst was shown. `watchForQuiet`: the text was split for a user's
    // action, and the quiet timer goes on so the quiet time that ends it is noticed.
    void close(bool watchForQuiet);

    // Runs the event loop, user input excluded, until the burst has closed or `ms` passed.
    void waitForClose(int ms);

    // The clock the quiet time is measured with; tests set their own.
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // Wakes the receive path when the quiet time may be over; the event table wires it.
    QTimer quietTimer;

private:
    Clock clock_;
    std::chrono::steady_clock::time_point lastBytesAt_{};
    QEventLoop *waiting_ = nullptr;
};
