// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fake port and pause for tests that talk to a unit without one. They share one timeline,
// so a test can check the order of writes, pauses and closes, and the poll timer's state at
// each pause.

#include "unit/conversation/conversation.h"
#include "unit/errors.h"
#include "unit/line/serialchannel.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Timeline {
    std::vector<std::string> events;
    void add(const std::string &e) { events.push_back(e); }
};

class FakeSerialChannel : public SerialChannel {
public:
    explicit FakeSerialChannel(Timeline &timeline) : timeline_(timeline) {}

    void open(const PortSettings &settings) override;
    void write(const QByteArray &bytes) override;
    QByteArray takeAvailable() override;
    bool holdsUnfetched() const override { return open_ && !systemHeld_.isEmpty(); }
    QByteArray takeRest() override;
    void onBytesArrived(std::function<void()> handler) override { arrived_ = std::move(handler); }
    std::optional<std::uint32_t> modemStatus() override { ++statusReads; return status; }
    void close() override;
    void closeAll() override;
    bool isOpen() const override { return open_; }

    // What the unit "sends": bytes followed by a quiet gap. takeAvailable() hands out the
    // bytes up to the next gap; at a gap it returns nothing once, as the quiet line does.
    void receive(const QByteArray &bytes);
    // Bytes with no gap after them.
    void receiveWithoutGap(const QByteArray &bytes);
    // Bytes the system has received that the port has not fetched yet, followed by a quiet
    // gap: takeAvailable() does not see them until the port's notifier has run, as it does
    // from the event loop (or at once: notifyArrival()); takeRest() takes them at once.
    void holdInSystem(const QByteArray &bytes);
    // Tells the program that bytes have arrived, as the port's notifier does once it has
    // fetched what the system holds.
    void notifyArrival();
    // The line goes away (adapter pulled): closed at once, the next read or write throws
    // PortLostError; what was received before stays to be taken, as the real port keeps it.
    void hangUp();
    std::size_t pendingReads() const { return incoming_.size(); }

    // All bytes written, in order.
    QByteArray written() const;

    std::vector<QByteArray> writes;
    std::vector<PortSettings> opens;
    int closes = 0;
    int statusReads = 0;
    int reads = 0;
    std::optional<std::uint32_t> status = 0u;
    bool failOpen = false;
    std::optional<int> failWriteWith;   // throws SerialError with this number
    std::function<void(const QByteArray &)> beforeWrite;   // runs first in every write (it may hang up)
    std::optional<int> failReadWith;

private:
    Timeline &timeline_;
    void fetchFromSystem();
    QObject notifier_;   // the port's notifier runs from the event loop

    std::deque<std::optional<char>> incoming_;   // fetched by the port; nullopt is a quiet gap
    QByteArray systemHeld_;
    std::function<void()> arrived_;
    bool open_ = false;
    bool lossPending_ = false;
};

// A write's pause that is over at once (or, with realWait, after its time on a real timer),
// recording each one.
class RecordingPause : public LinePause {
public:
    explicit RecordingPause(Timeline &timeline);
    // The poll timer whose state each pause records.
    void watch(const QTimer &pollTimer) { pollTimer_ = &pollTimer; }
    void start(int ms, std::function<void()> over) override;
    void stop() override;
    std::vector<int> pauses;
    bool realWait = false;   // hold for real, as the program's own pause does
    std::function<void(int)> during;   // runs inside each pause, with its length
    int pausesWithPollingOn = 0;   // the poll timer must be off during every pause

private:
    Timeline &timeline_;
    const QTimer *pollTimer_ = nullptr;
    QTimer real_;
    std::function<void()> over_;
};

