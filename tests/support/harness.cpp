#include "support/harness.h"

#include "support/userinput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWindow>

Harness::Harness()
{
    pause.watch(w.tmr1);
    box.watch(w.tmr1);
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
    // The timer's own signal, so the tick goes through the event table like a real one.
    QMetaObject::invokeMethod(&w.tmr1, "timeout", Qt::DirectConnection);
    QDeadlineTimer limit(5000);
    while (burst.isOpen() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}
