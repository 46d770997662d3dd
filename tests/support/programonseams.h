// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window program built on a test's seams, as the harness (fakes) and the live program (a
// real port) both build it: the given port and pause, a box and an end that only record, the
// program as it builds itself, and its parts by name. The box notes in the timeline whether
// the poll timer ran when it was shown.

#include "support/fakes.h"
#include "window/app/application.h"

struct ProgramOnSeams {
    ProgramOnSeams(Timeline &timeline, SerialChannel &channel, LinePause &pause)
        : box{timeline}
        , end{timeline}
        , app{Seams{&channel, &pause, &box, &end}}
    {
        box.watch(app.conversation().pollTimer());
    }

    RecordingMessageBox box;
    RecordingProgramEnd end;
    Application app;
    MainWindow &w = app.window();
    ProgramState &state = app.state();
    Receiver &receiver = app.receiver();
    Conversation &conversation = app.conversation();
    Program &p = app.program();
};
