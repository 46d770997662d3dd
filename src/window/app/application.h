// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running program: owns the window, the program state, the serial port, the conversation
// over it and the seams, and wires them together. The program itself runs on Qt's seams; tests and benchmarks build
// the same program with their own (a fake port, a recording box, an end that does not quit).

#include "unit/conversation/conversation.h"
#include "unit/line/qtserialchannel.h"
#include "widgets/mainwindow.h"
#include "widgets/mousefilter.h"
#include "window/app/dispatch.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/qtseams.h"
#include "window/receive/receiver.h"
#include "window/recording/recordedchannel.h"
#include "window/recording/recording.h"

#include <QTranslator>

#include <functional>
#include <iosfwd>

// The seams to use instead of Qt's; each one left null is Qt's own.
struct Seams {
    SerialChannel *channel = nullptr;
    LinePause *pause = nullptr;
    MessageBox *box = nullptr;
    ProgramEnd *end = nullptr;
};

class Application {
public:
    explicit Application(Seams seams = {});
    // Sizes the window and fills it.
    void prepare();
    // Prepares the window, lets the port box suggest the system's ports, shows the window.
    void start();
    MainWindow &window() { return window_; }
    ProgramState &state() { return state_; }
    Program &program() { return program_; }
    // Ends a recording that still runs, as the program ends; the line for standard error when
    // its file could not be ended whole, else empty.
    QString endRecording();
    Receiver &receiver() { return receiver_; }
    Conversation &conversation() { return conversation_; }
    Recording &recording() { return recording_; }

private:
    ProgramState state_;
    MainWindow window_;
    QtSerialChannel qtChannel_;
    QtMessageBox qtBox_;
    QtProgramEnd qtEnd_;
    Receiver receiver_;
    Recording recording_;
    // The port every handler uses: the chosen one, watched by the recording.
    RecordedChannel channel_;
    Conversation conversation_;
    GuardedActions actions_;
    QTranslator qtTexts_;
    Program program_;
    MouseFilter filter_;
};

// Runs the start-up; a failure there, before the main loop can report it, is written to
// `err` and gives a non-zero exit code.
int startOrReport(const std::function<void()> &startup, std::ostream &err);
