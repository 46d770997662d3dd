// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading and writing one parameter with the window's exact commands and at least its
// pauses, over a conversation, taking from the line only what belongs to the request: a
// read's value comes from the answer that names the parameter asked, wherever it stands
// among other text.

#include "unit/conversation/conversation.h"
#include "unit/protocol/protocol.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>
#include <optional>

struct LineTiming {
    // After opening, what arrives within this long was sent before the program was there (an
    // answer to another program's request, a line the unit sent on its own): listened to
    // and dropped.
    int settleMs = protocol::settleMs;
    int buttonPauseMs = protocol::commandPauseMs;   // after a read, as after a command button's command
    int sendPauseMs = protocol::sendPauseMs;        // after a parameter write, as after the send button
    int answerWaitMs = protocol::answerWaitMs;   // how long after a request its answer is still taken
};

// How a program uses its conversation for parameters: the line, its timing, how a request
// waits for a unit that is sending, and what it must know as each request goes out (the
// window shows the command in its lists).
struct ParameterLine {
    Conversation &line;
    LineTiming timing;
    Conversation::Wait wait = Conversation::Wait::None;
    std::function<void(const QByteArray &command, bool isRead)> writing;
    // Once this says so, nothing more goes out: a request still waiting for the line is
    // withdrawn and a read is not asked again.
    std::function<bool()> stopAsked;
};

// What a read of Fn heard.
struct Heard {
    std::optional<protocol::ReadAnswer> answer;   // the unit's answer to this request
    QByteArray before;   // the first bytes that came and were not the answer, for a message
    bool anything = false;   // whether any byte came at all
    // Two answers named Fn with different values: one was from before the request, and
    // which one cannot be told, so neither is taken.
    bool contradicted = false;
    bool lineGone = false;   // the port closed or was lost before the read ended
    bool stopped = false;    // not asked (again): a stop was asked first
};

// "$R" + address + "RF" + n: what cmdFn sends.
QByteArray readCommand(QChar address, int n);
// "$R" + address + "PF" + n + value: the write the window's write button prepares, nothing added.
QByteArray writeCommand(QChar address, int n, const QString &value);

// What a finished read exchange heard: the answer that names Fn (and the address asked, or
// any address when asked as S), unless another answer naming Fn with another value came
// after it within the exchange.
Heard heardFrom(const Conversation::Reply &reply, QChar asked, int n);

// Reads Fn from `address`: the read command and its answer, and once more when no answer
// came; then `done`. What came instead of an answer is in the result, for the message.
void readParameter(const ParameterLine &use, QChar address, int n, std::function<void(const Heard &)> done);
// The read command and its answer once, without the retry: for a question that changes
// nothing and whose silence is an answer too (rix-param's try at the other rate).
void readParameterOnce(const ParameterLine &use, QChar address, int n, std::function<void(const Heard &)> done);
// Sends Fn's write as the send button does and holds its pause; whatever the unit answers
// meanwhile is dropped. `done` says whether the line went before it was over.
void writeParameter(const ParameterLine &use, QChar address, int n, const QString &value,
                    std::function<void(bool lineGone)> done);
// Listens for the settle time after the line was opened and drops what comes.
void settle(const ParameterLine &use, std::function<void(bool lineGone)> done);
