// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window shows of what the unit sends. The conversation takes every byte off the
// line, in one place, and tells this listener: the bytes as they come, the unit's pause, a
// command cut into a running text, a write. Here the receive engine turns them into the
// lines of lb2 and lbrx by the window's rules: the command line, flag and rate that decide
// how a text is shown are taken with its first byte; a unit that never pauses is shown at
// least once a second, cut at its line ends; after a command sent into a running text the
// unit's lines are shown one by one, each whole, its answer a line of its own. A key pressed
// during a text leaves the text as it is. A running recording gets every shown line.

#include "unit/conversation/conversation.h"
#include "unit/protocol/receiveengine.h"

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

struct Program;

class Receiver : public Conversation::Listener {
public:
    // The poll timer's interval: the lamps are refreshed this often.
    static constexpr int pollIntervalMs = 50;
    // A unit that never pauses is shown this often; lines shown one by one after a command
    // go back to one text after this long.
    static constexpr int showEveryMs = 1000;

    Receiver() = default;
    // The program whose lists and recording it serves; set once, before any event.
    void attach(Program &p) { p_ = &p; }

    // A text is being read: bytes came and the line has not been quiet since.
    bool isOpen() const { return engine_.isOpen(); }

    // The disconnect's command is about to go out and the port closes after its pause: what
    // was taken before it is shown, nothing after it (the recording still gets every byte).
    void closingAfterCommand();
    // The port closes without reading on (the program ends): the open text is dropped, and
    // nothing more is shown (the recording still gets every byte).
    void portClosing();
    // A failure ended the handler that was reading: the open text is not read on; a
    // disconnect's closing cut short by it is over, so the line is heard again.
    void stopReading();
    // The next command that goes out is shown under `commandLine` and `flag` instead of the
    // command line's text: the parameter dialog's exchanges show in the lists without going
    // through ed1. It holds until a command goes out through ed1 or ed1 is edited.
    void showNextAs(const QByteArray &commandLine, std::int16_t flag);
    // ed1 was changed: texts are shown under its text again.
    void commandLineChanged() { shownAs_.reset(); }

    // What the conversation tells.
    void heard(const QByteArray &bytes) override;
    void quiet() override;
    void cutting(std::int64_t sendingForMs) override;
    void written(const QByteArray &bytes, Conversation::Wait wait) override;
    void polled() override;
    void opened() override;
    void closed() override;

private:
    struct Shown {
        QByteArray commandLine;
        std::int16_t flag = 0;
    };
    void showLines(const ReceiveEngine::Shown &shown);
    std::int64_t sinceMs(std::chrono::steady_clock::time_point t) const;

    std::chrono::steady_clock::time_point now() const;

    Program *p_ = nullptr;
    ReceiveEngine engine_;
    bool showing_ = false;
    std::optional<Shown> nextShownAs_;   // asked for the next write
    std::optional<Shown> shownAs_;       // in force since the last write
    std::chrono::steady_clock::time_point lastShownAt_{};
    std::chrono::steady_clock::time_point lineByLineSince_{};
};
