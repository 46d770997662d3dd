#pragma once
// What every handler works on: the window, the program state and the seams.

#include <QString>

class MainWindow;
class SerialChannel;
class Pause;
class MessageBox;
class ProgramEnd;
class BurstReader;
struct ProgramState;

struct Program {
    MainWindow &w;
    ProgramState &state;
    SerialChannel &channel;
    Pause &pause;
    MessageBox &box;
    ProgramEnd &end;
    BurstReader &burst;
};

// Asks the main loop to end with `exitCode` and lets no further handler run.
void endProgram(Program &p, int exitCode = 0);

// The program's last word after a failure: polling stopped and every handler barred first
// (the box runs its own event loop), then the box, every channel closed, the end with exit code 1.
void endWithMessage(Program &p, const QString &text, const QString &details = QString());
