// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole program as it runs for a user: the real window, event table, serial port and
// pause, on a simulated unit's pseudo-terminal. Only the message box and the end of the
// program are recorded instead of shown and done, so no modal box blocks the test and the
// test process does not quit.

#include "support/fakes.h"
#include "support/programonseams.h"
#include "window/app/application.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class LineView;

// The program's own pause, a precise timer, with its start ("pause:N") and end ("pause-end")
// in the timeline.
class TimedPause : public LinePause {
public:
    explicit TimedPause(Timeline &timeline);
    void start(int ms, std::function<void()> over) override;
    void stop() override;
    // Runs when a pause has ended, before the line goes on.
    std::function<void()> atEnd;

private:
    Timeline &timeline_;
    QTimer timer_;
    std::function<void()> over_;
};

// The real port and the program's own pause, made before the program that uses them.
struct LiveSeams {
    Timeline timeline;
    QtSerialChannel channel;
    TimedPause pause{timeline};
};

struct LiveProgram : LiveSeams, ProgramOnSeams {
    // Builds, fills and shows the window as the program's start-up does.
    LiveProgram();

    // A user's mouse through the window's QWindow, at the control's centre. Each call
    // returns once the handlers it triggers have run (pauses included).
    void press(QWidget *control, Qt::MouseButton button = Qt::LeftButton);
    void release(QWidget *control, Qt::MouseButton button = Qt::LeftButton);
    void click(QWidget *control, Qt::MouseButton button = Qt::LeftButton);

    // Types the port path, chooses baud rate and address digit, clicks cmdEIN.
    void connectTo(const QString &port, const QString &baud = QStringLiteral("19200"),
                   const QString &digit = QStringLiteral("S"));
    // Replaces the command line's text by typing, as a user would.
    void typeCommandLine(const QString &text);

    bool connected() const;
    // All of lbrx's stored bytes, joined in order.
    QByteArray receivedBytes() const;

};

// Every line of a list as stored (Windows-1252 bytes).
std::vector<QByteArray> linesOf(const LineView &list);
