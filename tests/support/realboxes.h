// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program with its real modal boxes (QMessageBox), and a driver that acts on them from
// inside their own event loops, as a user would. Only the port, the pause and the end are
// stand-ins.

#include "support/fakes.h"
#include "window/app/application.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

class QMessageBox;
class QPushButton;

// Acts on the program's boxes, one action per box in the order they open (a null action
// leaves the box to the program, as the waiting box closes itself). A box still open after
// 5 s is closed, so no test hangs on one.
class BoxDriver : public QObject {
public:
    using Action = std::function<void(QMessageBox &)>;
    explicit BoxDriver(std::vector<Action> actions);
    // The text of every box that opened, as shown (lines broken at LF).
    std::vector<QString> texts;

private:
    void step();

    std::vector<Action> actions_;
    QTimer timer_;
    QPointer<QMessageBox> current_;
};

// The button of an open box with this text, or null.
QPushButton *buttonOf(QMessageBox &box, const QString &text);
// Box actions: "OK" clicked with the mouse; "Warten und neu verbinden" chosen from the keyboard.
void clickOk(QMessageBox &box);
void chooseToWait(QMessageBox &box);

struct ProgramWithRealBoxes {
    ProgramWithRealBoxes();
    void press(QWidget *c);
    void release(QWidget *c);
    void click(QWidget *c);
    void connectWith(const QString &port, const QString &baud, const QString &digit);
    // One tick of the poll timer, as the event table runs it.
    void tick();

    Timeline timeline;
    FakeSerialChannel channel{timeline};
    RecordingPause pause{timeline};
    RecordingProgramEnd end{timeline};
    Application app{Seams{&channel, &pause, nullptr, &end}};
    MainWindow &w = app.window();
    Receiver &receiver = app.receiver();
    Conversation &conversation = app.conversation();
};
