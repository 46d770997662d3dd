#pragma once
// A whole program on the real serial channel: the real window, event table, handlers and
// QtSerialChannel, with real pauses (the event loop runs during them, as in the program) and
// the message box and the program's end recorded. Tests play the unit on a pseudo-terminal.

#include "app/eventtable.h"
#include "app/startup.h"
#include "serial/qtserialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "shared/seams_qt.h"
#include "support/fakes.h"
#include "ui/mainwindow.h"
#include "ui/mousefilter.h"

#include <chrono>
#include <functional>

// The real pause, with its start and end in the timeline.
class TimedPause : public Pause {
public:
    explicit TimedPause(Timeline &timeline) : timeline_(timeline) {}
    void pause(int ms) override;
    // Runs when a pause has ended, before the handler continues.
    std::function<void()> atEnd;

private:
    Timeline &timeline_;
    EventLoopPause real_;
};

struct PtyProgram {
    PtyProgram();

    void showWindow();
    void press(QWidget *control);
    void release(QWidget *control);
    void click(QWidget *control);
    void connectWith(const QString &port, const QString &baud, const QString &digit = QStringLiteral("S"));
    bool connected() const { return !w.cmdEIN->isEnabled() && channel.isOpen(); }
    // All of lbrx's stored bytes, joined in order.
    QByteArray receivedBytes() const;

    Timeline timeline;
    ProgramState state;
    MainWindow w;
    QtSerialChannel channel;
    TimedPause pause{timeline};
    RecordingMessageBox box{timeline, w.tmr1};
    RecordingProgramEnd end{timeline};
    Program p{w, state, channel, pause, box, end};
    MouseFilter filter;
};

// Runs the event loop (and with it the poll timer) until `done` holds or the time-out passes.
bool runEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);
void runEventsFor(std::chrono::milliseconds duration);
