#pragma once
// The three commands of rix-param over the unit's line: read, diff and write.

#include "param/commandline.h"

#include <QTextStream>

#include <functional>

class SerialChannel;

namespace ParamExit {
constexpr int Ok = 0;          // read and write done; diff: the unit holds the file's values
constexpr int Different = 1;   // diff: the unit holds other values
constexpr int Error = 2;       // no port, no answer, a bad file, a failed save
constexpr int NotTaken = 3;    // write: a written value did not read back
}

// Where a command talks to its user. `confirm` asks a yes/no question on the terminal;
// `terminal` says whether there is one to ask on.
struct ParamConsole {
    QTextStream &out;
    QTextStream &err;
    bool terminal = false;
    std::function<bool(const QString &question)> confirm;
};

// Runs the command of `options` over `channel` (not yet open) and returns the exit code.
// `programVersion` goes into a read file's header.
int runParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console,
                    const QString &programVersion);
