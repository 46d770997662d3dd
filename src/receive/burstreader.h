#pragma once
// The burst being read. The poll opens it when it finds bytes waiting; bytes are added as
// they arrive, and it closes once the line has been quiet for kQuietMs after its last byte.
// Nothing here waits on the port: the event loop runs while a burst is open.

#include <QTimer>

class QEventLoop;

class BurstReader {
public:
    static constexpr int kQuietMs = 20;
    // A user's action waits at most this long for an open burst to end by itself.
    static constexpr int kInputWaitMs = 1000;

    BurstReader();

    bool isOpen() const { return open_; }
    // Whether the next piece shown continues a text that was split (at the byte limit or
    // for a user's action): it is then shown from its first byte.
    bool continues() const { return continues_; }

    // Opens a burst and starts the quiet time.
    void open();
    // Another byte arrived: the quiet time starts again.
    void bytesAdded();
    // The burst ends. `split`: the unit was still sending, so what follows is a continuation.
    void close(bool split);
    // A piece was shown while the burst stays open.
    void pieceShown() { continues_ = true; }
    // The line was found quiet between bursts: whatever comes next is a text of its own.
    void lineQuiet() { continues_ = false; }

    // Runs the event loop, user input excluded, until the burst has closed or `ms` passed.
    void waitForClose(int ms);

    // Fires kQuietMs after the last byte; the event table wires it to the receive path.
    QTimer quietTimer;

private:
    bool open_ = false;
    bool continues_ = false;
    QEventLoop *waiting_ = nullptr;
};
