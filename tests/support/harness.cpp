// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/harness.h"

#include "support/userinput.h"
#include "window/app/dispatch.h"
#include "window/receive/polling.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>

Harness::Harness() : ProgramOnSeams(timeline, channel, pause)
{
    pause.watch(conversation.pollTimer());
    app.prepare();
}

void Harness::showWindow()
{
    if (w.isVisible())
        return;
    w.show();
    w.activateWindow();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
}

void Harness::press(QWidget *control, Qt::MouseButton button)
{
    showWindow();
    userinput::press(w, control, button);
}

void Harness::release(QWidget *control, Qt::MouseButton button)
{
    showWindow();
    userinput::release(w, control, button);
}

void Harness::click(QWidget *control, Qt::MouseButton button)
{
    showWindow();
    userinput::click(w, control, button);
}

void Harness::connectWith(const QString &port, const QString &baud, const QString &digit)
{
    showWindow();
    userinput::connect(w, port, baud, digit);
}

void Harness::tick()
{
    // Through the guarded dispatch, as the event table runs the timer's tick.
    dispatchReceive(p, tmr1_Timer);
    QDeadlineTimer limit(5000);
    while (receiver.isOpen() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}
