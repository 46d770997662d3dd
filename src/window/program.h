// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every handler works on: the window, the program state, the seams, the receive path,
// the recording, and the guarded dispatch for actions a handler starts itself. Only references, so that a handler's header needs none of their
// definitions.

class MainWindow;
class SerialChannel;
class Pause;
class MessageBox;
class ProgramEnd;
class Receiver;
class Recording;
class Actions;
struct ProgramState;

struct Program {
    MainWindow &w;
    ProgramState &state;
    SerialChannel &channel;
    Pause &pause;
    MessageBox &box;
    ProgramEnd &end;
    Receiver &receiver;
    Recording &recording;
    Actions &actions;
};
