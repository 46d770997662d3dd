// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A technician at the bench who does again what a recording says was done: the same presses,
// in the same order, at the same times after the connect. Each recorded write is put back to
// the control whose press writes those bytes (F0 … F6, „Version“, TR1/TR2 pressed and let go,
// the test calls, „Trennen“); any other write was typed into the command line and sent. (A
// recording cannot tell a typed "$RSRF0" from F0's: it is taken for the button.)

#include <QString>

#include <chrono>
#include <vector>

struct LiveProgram;

namespace replaydriver {

struct Press {
    enum class Kind { Click, KeyDown, KeyUp, Typed };
    Kind kind = Kind::Click;
    qint64 atMs = 0;        // after the connect
    QString control;        // the control's name (Click, KeyDown, KeyUp)
    QString text;           // Typed: the command line's text, sent with „Senden“
};

struct Session {
    QString baud;           // as the connect marker says
    QString address;
    std::vector<Press> presses;
};

// The session a recording holds, from its first connect on (empty presses when none).
Session sessionOf(const QString &recordingPath);

// A recording's shown records without their times: the command list's line, and the answer
// list's after a TAB when it got one.
std::vector<QByteArray> shownRecordsOf(const QString &recordingPath);

// Does the presses on the live program, each at its time after `connectedAt`.
void play(LiveProgram &program, const Session &session, std::chrono::steady_clock::time_point connectedAt);

} // namespace replaydriver
