// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three commands of rix-param over the unit's line: read, diff and write.

#include "param/commandline.h"

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

// Runs the command of `options` over `channel` (not yet open). `programVersion` goes into
// a read file's header.
ParamEnd runParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console,
                         const QString &programVersion);
