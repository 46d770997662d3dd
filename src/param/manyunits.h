// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// read, diff and write on several units at once: one command per port, each with its own
// port, its own conversation and its own parameter session, as if rix-param ran once per
// unit. They all run on this thread's event loop, each step an exchange with its unit, so
// eight units take about as long as one; their lines come out whole with the unit's port in
// front, and each unit has its own report.

#include "param/paramcommands.h"
#include "param/unitresult.h"

#include <functional>
#include <memory>
#include <vector>

class SerialChannel;
class StopRequest;
class TextOutput;
class SharedLines;

using MakeChannel = std::function<std::unique_ptr<SerialChannel>()>;

class EveryUnit {
public:
    // The command of `options` on every port of `options.ports` (or on `options.port`).
    // `makeChannel` makes each unit's port.
    EveryUnit(const ParamOptions &options, TextOutput &out, TextOutput &err, StopRequest &stop,
              const QString &programVersion, MakeChannel makeChannel);
    ~EveryUnit();
    EveryUnit(const EveryUnit &) = delete;
    EveryUnit &operator=(const EveryUnit &) = delete;

    // Starts every unit; `finished` runs once all have ended (at once from here when none
    // can begin). The exit code is the worst unit's (2 before 3 before 1 before 0); a signal
    // that stopped a write is the end of all. With --json standard output gets one JSON
    // object per unit in an array instead of the units' text. When writing, the signals are
    // held before the first unit begins: on the first one every unit finishes the parameter
    // on its line and reports; on a second one every unit's report is printed at once, and
    // with --json the array too, before the program ends by that signal.
    void start(std::function<void(const ParamEnd &)> finished);

    // Every unit's result as it stands, with its lines on standard error.
    std::vector<UnitResult> results() const;

private:
    struct Unit;
    void unitDone(Unit &unit, const ParamEnd &end);
    void announce(int signal, bool again);
    void wrapUp();
    void saveToFolder(Unit &unit);
    // With --json: the array on standard output; false when it could not be written.
    bool printJson();

    const ParamOptions &options_;
    TextOutput &out_;
    TextOutput &err_;
    StopRequest &stop_;
    QString version_;
    MakeChannel makeChannel_;
    bool toFolder_ = false;
    std::unique_ptr<SharedLines> sharedOut_;
    std::unique_ptr<SharedLines> sharedErr_;
    std::vector<std::unique_ptr<Unit>> units_;
    std::size_t done_ = 0;
    bool starting_ = false;
    std::function<void(const ParamEnd &)> finished_;
};

// "ttyUSB0-5.txt" for /dev/ttyUSB0 and address 5: the file of one unit in read -o FOLDER/.
QString unitFileName(const QString &port, QChar address);
