#pragma once
// A whole program on the fakes: the real window, the real event table and handlers.

#include "app/eventtable.h"
#include "app/startup.h"
#include "receive/burstreader.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "support/fakes.h"
#include "ui/mainwindow.h"
#include "ui/mousefilter.h"

#include <QTest>

struct Harness {
    Harness();

    // Shows the window, so that events can go through its QWindow like a user's.
    void showWindow();
    // Press and release through the QWindow, the way Qt routes a real user's mouse.
    void press(QWidget *control, Qt::MouseButton button = Qt::LeftButton);
    void release(QWidget *control, Qt::MouseButton button = Qt::LeftButton);
    void click(QWidget *control, Qt::MouseButton button = Qt::LeftButton);
    // Chooses port, baud and address and clicks cmdEIN.
    void connectWith(const QString &port, const QString &baud, const QString &digit);
    // Runs one tick of the poll timer as the timer would, and lets a burst it opens run
    // to its end (the quiet time after its last byte).
    void tick();

    Timeline timeline;
    ProgramState state;
    MainWindow w;
    FakeSerialChannel channel{timeline};
    RecordingPause pause{timeline, w.tmr1};
    RecordingMessageBox box{timeline, w.tmr1};
    RecordingProgramEnd end{timeline};
    BurstReader burst;
    Program p{w, state, channel, pause, box, end, burst};
    MouseFilter filter;
};
