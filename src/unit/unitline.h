// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Talking to the unit as the window does, with the window's commands and at least its
// pauses, but taking from the line only what belongs to the request: a read's value comes
// from the answer that names the parameter asked, wherever it stands among other text.

#include "unit/protocol.h"

#include <QByteArray>
#include <QChar>

#include <optional>

class SerialChannel;

struct LineTiming {
    // After opening, what arrives was sent before rix-param was there (an answer to
    // another program's request, a line the unit sent on its own): listened to and dropped.
    int settleMs = 100;
    int buttonPauseMs = Protocol::CommandPauseMs;   // after a read, as after a command button's command
    int sendPauseMs = Protocol::SendPauseMs;        // after a parameter write, as after the send button
    // An answer that ends the bytes arrived is complete once the line has been quiet this
    // long: a fifth hexadecimal digit would make it no answer.
    int quietMs = 20;
    int answerWaitMs = 2000;   // how long after a request its answer is still taken
};

class UnitLine {
public:
    explicit UnitLine(SerialChannel &channel, LineTiming timing = {});
    ~UnitLine();
    UnitLine(const UnitLine &) = delete;
    UnitLine &operator=(const UnitLine &) = delete;

    // Listens for the settle time after the line was opened and drops what comes.
    void settle();

    struct Heard {
        std::optional<Protocol::ReadAnswer> answer;   // the unit's answer to this request
        QByteArray before;   // the first bytes that came and were not the answer, for a message
        bool anything = false;   // whether any byte came at all
        // Two answers named Fn with different values: one was from before the request,
        // and which one cannot be told, so neither is taken.
        bool contradicted = false;
    };

    // Sends the read of Fn to `asked` and waits for the answer that names Fn (and the
    // address asked, or any address when asked as S): until it has come and the command
    // pause is over, or until the answer wait ends. Whatever else arrives is skipped.
    // Another answer naming Fn with another value within the pause makes it no answer.
    // Throws SerialError when the port fails.
    Heard ask(const QByteArray &command, QChar asked, int n);

    // Sends `command` as the send button does and holds the send pause. Whatever the unit
    // answers meanwhile is taken off the line and dropped.
    void send(const QByteArray &command);

private:
    // Drops what is waiting in the input, also what the system holds and has not yet
    // handed over, then writes.
    void writeFresh(const QByteArray &command);
    // Takes and drops what arrives for `ms`.
    void hold(int ms);
    // Runs the event loop until bytes arrive or `ms` pass.
    void waitForBytes(int ms);

    SerialChannel &channel_;
    LineTiming timing_;
};
