// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A whole program on the fakes: the real window, event table and handlers, built as the
// program builds itself, with a fake port and recording pause, box and end.

#include "support/fakes.h"
#include "support/programonseams.h"
#include "window/app/application.h"

#include <QTest>

// The fakes, made before the program that uses them.
struct FakeSeams {
    Timeline timeline;
    FakeSerialChannel channel{timeline};
    RecordingPause pause{timeline};
};

struct Harness : FakeSeams, ProgramOnSeams {
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

};
