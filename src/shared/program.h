#pragma once
// What every handler works on: the window, the program state, the seams and the burst being
// read. Only references, so this header depends on no other folder.

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
