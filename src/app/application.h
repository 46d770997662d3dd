#pragma once
// The running program: owns the window, the program state, the serial port and the seams,
// and wires them together.

#include "receive/burstreader.h"
#include "serial/qtserialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams_qt.h"
#include "ui/germantexts.h"
#include "ui/mainwindow.h"
#include "ui/mousefilter.h"

#include <functional>
#include <iosfwd>

class Application {
public:
    Application();
    // Sizes the window, fills it and shows it.
    void start();
    MainWindow &window() { return window_; }

private:
    ProgramState state_;
    MainWindow window_;
    QtSerialChannel channel_;
    EventLoopPause pause_;
    QtMessageBox box_;
    QtProgramEnd end_;
    BurstReader burst_;
    GermanQtTexts qtTexts_;
    Program program_;
    MouseFilter filter_;
};

// Runs the start-up; a failure there, before the main loop can report it, is written to
// `err` and gives a non-zero exit code.
int startOrReport(const std::function<void()> &startup, std::ostream &err);
