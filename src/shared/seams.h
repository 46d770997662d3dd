#pragma once
// The program's seams to the outside world besides the serial port. Each has a real
// implementation (seams_qt.cpp) and a recording one for the tests.

#include <QString>

class Pause {
public:
    virtual ~Pause() = default;
    // Holds the calling handler for `ms` milliseconds. The window keeps repainting,
    // user input waits until the pause is over.
    virtual void pause(int ms) = 0;
};

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // A modal box with the default title and an OK button; `text` separates its lines
    // with a lone carriage return, as the program's texts do.
    virtual void show(const QString &text) = 0;
};

class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    // Ends the main loop; the program ends once the running handler has returned.
    virtual void end() = 0;
};
