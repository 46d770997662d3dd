// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test doubles for the seams. They share one timeline, so a test can check the order of
// writes, pauses, message boxes and the program's end, and the poll timer's state at each.

#include "support/fakechannel.h"
#include "window/seams.h"

#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
    // Records the box as show() does, counts the offer, and answers with `chooseUnitSearch`.
    bool offerUnitSearch(const QString &text, const QString &details) override
    {
        show(text, details);
        ++searchOffers;
        return chooseUnitSearch;
    }
    bool chooseUnitSearch = false;
    int searchOffers = 0;
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
