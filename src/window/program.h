// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every handler works on: the window, the program state, the conversation with the
// unit, the seams, what the window shows of the unit, the recording, and the guarded dispatch
// for actions a handler starts itself. Only references, so that a handler's header needs none
// of their definitions.

class MainWindow;
class Conversation;
class MessageBox;
class ProgramEnd;
class Receiver;
class Recording;
class Actions;
struct ProgramState;

struct Program {
    MainWindow &w;
    ProgramState &state;
    // The one way to the unit: every write, every byte taken, the port's open and close.
    Conversation &conversation;
    MessageBox &box;
    ProgramEnd &end;
    Receiver &receiver;
    Recording &recording;
    Actions &actions;
};
