// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Talking to the unit as the window does, with the window's commands and at least its
// pauses, but taking from the line only what belongs to the request: a read's value comes
// from the answer that names the parameter asked, wherever it stands among other text.

#include "unit/protocol/protocol.h"

#include <QByteArray>
#include <QChar>

#include <memory>
#include <optional>

class SerialChannel;

// Where a UnitLine's bytes go and come from. rix-param talks to its own port; the window
// puts each request through its own buttons' path, so its lists show the whole exchange.
class SessionLink {
public:
    virtual ~SessionLink() = default;
    // A read, as a command button sends it. What arrived before it is no answer to it.
    virtual void writeRequest(const QByteArray &command) = 0;
    // A parameter write, as the send button sends it.
    virtual void writeCommand(const QByteArray &command) = 0;
    // What has arrived since the last take; throws SerialError when the line fails.
    virtual QByteArray take() = 0;
    // Runs the event loop until bytes arrive or `ms` pass.
    virtual void waitForBytes(int ms) = 0;
};

// rix-param's link: its own port, read directly; stale input is dropped before a request.
class ChannelLink : public SessionLink {
public:
    explicit ChannelLink(SerialChannel &channel) : channel_(channel) {}
    ~ChannelLink() override;
    void writeRequest(const QByteArray &command) override { writeFresh(command); }
    void writeCommand(const QByteArray &command) override { writeFresh(command); }
    QByteArray take() override;
    void waitForBytes(int ms) override;

private:
    // Drops what is waiting in the input, also what the system holds and has not yet
    // handed over, then writes.
    void writeFresh(const QByteArray &command);
    SerialChannel &channel_;
};

struct LineTiming {
    // After opening, what arrives was sent before rix-param was there (an answer to
    // another program's request, a line the unit sent on its own): listened to and dropped.
    int settleMs = protocol::settleMs;
    int buttonPauseMs = protocol::commandPauseMs;   // after a read, as after a command button's command
    int sendPauseMs = protocol::sendPauseMs;        // after a parameter write, as after the send button
    // An answer that ends the bytes arrived is complete once the line has been quiet this
    // long: a fifth hexadecimal digit would make it no answer.
    int quietMs = 20;
    int answerWaitMs = 2000;   // how long after a request its answer is still taken
};

class UnitLine {
public:
    explicit UnitLine(SerialChannel &channel, LineTiming timing = {});
    // Over another link; a link that holds the pauses itself is given a timing without them.
    explicit UnitLine(SessionLink &link, LineTiming timing);
    ~UnitLine();
    UnitLine(const UnitLine &) = delete;
    UnitLine &operator=(const UnitLine &) = delete;

    // Listens for the settle time after the line was opened and drops what comes.
    void settle();

    struct Heard {
        std::optional<protocol::ReadAnswer> answer;   // the unit's answer to this request
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
    // Takes and drops what arrives for `ms`.
    void hold(int ms);

    std::unique_ptr<ChannelLink> ownLink_;
    SessionLink &link_;
    LineTiming timing_;
};
