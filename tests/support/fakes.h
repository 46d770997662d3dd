// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test doubles for the seams. They share one timeline, so a test can check the order of
// writes, pauses, message boxes and the program's end, and the poll timer's state at each.

#include "unit/errors.h"
#include "unit/line/serialchannel.h"
#include "window/seams.h"

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
    QByteArray takeAllReceived() override;
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
    // gap: takeAvailable() does not see them until the port's notifier has run
    // (notifyArrival()); takeAllReceived() takes them at once.
    void holdInSystem(const QByteArray &bytes) { systemHeld_ += bytes; }
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

    std::deque<std::optional<char>> incoming_;   // fetched by the port; nullopt is a quiet gap
    QByteArray systemHeld_;
    std::function<void()> arrived_;
    bool open_ = false;
    bool lossPending_ = false;
};

class RecordingPause : public Pause {
public:
    explicit RecordingPause(Timeline &timeline) : timeline_(timeline) {}
    // The poll timer whose state each pause records.
    void watch(const QTimer &pollTimer) { pollTimer_ = &pollTimer; }
    void pause(int ms) override;
    std::vector<int> pauses;
    bool realWait = false;   // also hold for real, with the program's own pause
    std::function<void(int)> during;   // runs inside each pause, with its length
    int pausesWithPollingOn = 0;   // the poll timer must be off during every pause

private:
    Timeline &timeline_;
    const QTimer *pollTimer_ = nullptr;
};

class RecordingMessageBox : public MessageBox {
public:
    explicit RecordingMessageBox(Timeline &timeline) : timeline_(timeline) {}
    // The poll timer whose state each box records.
    void watch(const QTimer &pollTimer) { pollTimer_ = &pollTimer; }
    void show(const QString &text, const QString &details = QString()) override;
    // Records the lost-port box and answers with `waitForThePort`.
    bool askToWaitForPort(const QString &text, const QString &details) override;
    // Records the waiting box and calls `tryOpen` up to `waitTries` times, `waitStepMs` apart
    // with the event loop running; false (cancelled) when none opened the port.
    bool waitForPort(const QString &text, const std::function<bool()> &tryOpen) override;
    // Records the box as show() does and answers with `chooseUnitSearch`.
    bool offerUnitSearch(const QString &text, const QString &details) override
    {
        show(text, details);
        return chooseUnitSearch;
    }
    bool chooseUnitSearch = false;
    std::vector<QString> texts;
    std::vector<QString> details;
    int shownWithPollingOn = 0;
    bool waitForThePort = false;
    int waitTries = 0;
    int waitStepMs = 100;
    std::function<void(int)> beforeTry;   // gets the try's index, from 0

private:
    Timeline &timeline_;
    const QTimer *pollTimer_ = nullptr;
};

class RecordingProgramEnd : public ProgramEnd {
public:
    explicit RecordingProgramEnd(Timeline &timeline) : timeline_(timeline) {}
    void end(int exitCode) override { ++ends; this->exitCode = exitCode; timeline_.add("end"); }
    int ends = 0;
    int exitCode = -1;

private:
    Timeline &timeline_;
};
