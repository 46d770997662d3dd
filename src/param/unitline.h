#pragma once
// Talking to the unit the way the window does: a command goes out whole, then the sender's
// pause; the answer is the burst that follows, until the line has been quiet for 20 ms.
// Waiting runs Qt's event loop, so bytes are taken as the port reports them.

#include "unit/protocol.h"
#include "unit/receiveengine.h"

#include <QByteArray>

class SerialChannel;

struct LineTiming {
    int buttonPauseMs = Protocol::CommandPauseMs;   // after a read, as after a command button's command
    int sendPauseMs = Protocol::SendPauseMs;        // after a parameter write, as after the send button
    int quietMs = ReceiveEngine::kQuietMs;          // a burst ends after this much quiet
    int answerWaitMs = 1000;    // how long an answer may take to start
    // A unit that never falls quiet would hold rix-param for ever; a value's answer is a
    // few characters, so a burst still running after this long ends there (and is no value).
    int answerLimitMs = 5000;
};

class UnitLine {
public:
    explicit UnitLine(SerialChannel &channel, LineTiming timing = {});
    ~UnitLine();
    UnitLine(const UnitLine &) = delete;
    UnitLine &operator=(const UnitLine &) = delete;

    // Sends `command` as a command button does and returns its answer burst as it came:
    // what arrived during the pause and after it, until 20 ms of quiet. Empty when
    // nothing came within the answer wait. Throws SerialError when the port fails.
    QByteArray ask(const QByteArray &command);

    // Sends `command` as the send button does. Whatever the unit answers within the pause,
    // and until the line is quiet after it, is taken off the line and dropped.
    void send(const QByteArray &command);

private:
    void writeFresh(const QByteArray &command);
    // Bytes from the write on: at least `minimumMs` after it; once a byte came, until
    // `quietMs` after the last; with none, until `emptyMs` after the write.
    QByteArray collect(int minimumMs, int emptyMs);

    SerialChannel &channel_;
    LineTiming timing_;
};
