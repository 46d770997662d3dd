// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three commands of rix-param over the unit's line: read, diff and write. Each is an
// object that runs on the event loop (every exchange with the unit is one step), prints its
// text as it goes and fills its result (unitresult.h), from which the JSON is made.

#include "param/commandline.h"
#include "param/session.h"
#include "param/unitresult.h"

#include <functional>
#include <memory>

class SerialChannel;
struct ParamConsole;

namespace ParamExit {
constexpr int Ok = 0;             // read and write done; diff: the unit holds the file's values
constexpr int Different = 1;      // diff: the unit holds other values; write: F0 or F6 left out still differs
constexpr int Error = 2;          // no port, no answer, a bad file, a failed save or output, a write cut short
constexpr int NotConfirmed = 3;   // write: a written value read back different, or could not be read back
constexpr int Declined = 4;       // write: the question on the terminal was not answered yes; nothing written
}

// How a command ended: its exit code, or, when `signal` is not 0, the signal that stopped
// it, by which the program is to end once the report is out.
struct ParamEnd {
    int exitCode = ParamExit::Ok;
    int signal = 0;
};

class ParamCommand {
public:
    virtual ~ParamCommand();
    ParamCommand(const ParamCommand &) = delete;
    ParamCommand &operator=(const ParamCommand &) = delete;

    // Starts the command; `finished` runs once when it has ended and its port is closed: from
    // the event loop, or at once from here when it ends before it talks to the unit.
    void start(std::function<void(const ParamEnd &)> finished);
    bool isFinished() const { return over_; }
    // What it has found and done so far; all of it once it has finished.
    virtual UnitResult result() const { return result_; }
    // A second signal: the program ends now. A write under way says what reached the unit,
    // and the result says how it ended; `finished` does not run any more.
    virtual void endBySignal(int signal);

protected:
    ParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console);
    // The command's first step.
    virtual void begin() = 0;
    // Runs a step of the command; a ParamFailure it throws ends the command with exit 2.
    void step(const std::function<void()> &run);
    void fail(const QString &message);
    void end(ParamEnd end);
    // Standard output took everything so far, or the command fails with its reason.
    void checkStandardOutput() const;

    const ParamOptions &options_;
    ParamConsole &console_;
    Session session_;
    UnitResult result_;

private:
    std::function<void(const ParamEnd &)> finished_;
    bool over_ = false;
};

// The command of `options` over `channel` (not yet open). `programVersion` goes into a read
// file's header.
std::unique_ptr<ParamCommand> makeParamCommand(const ParamOptions &options, SerialChannel &channel,
                                               ParamConsole &console, const QString &programVersion);
