// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A handler, what it does with the line, and the way to run one as a user's action, for the
// code that starts actions of its own (the parameter dialog's commands). The guarded
// dispatch (app/dispatch.*) is the one implementation.

#include <functional>

struct Program;
using Handler = std::function<void(Program &)>;

// What a handler does with the unit's line; it decides whether the handler waits for what
// the unit is sending.
enum class Line {
    // Writes nothing and needs no line (a lamp, the command line, a menu, a dialog): it never
    // touches what the unit is sending.
    NotNeeded,
    // Writes nothing, but does nothing once the line is gone (the disconnect's press, which
    // its release completes).
    Needed,
    // Writes a command: runs after the unit's pause, so its answer is a line of its own; at
    // most about a second, then at the unit's next line end. Nothing once the line is gone.
    Writes,
    // A key's press or release: the key on the unit follows the finger, within 25 ms.
    Key,
};

class Actions {
public:
    virtual ~Actions() = default;
    // `handler` as a user's action of kind `line`, guarded.
    virtual void run(const Handler &handler, Line line) = 0;
};
