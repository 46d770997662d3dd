#include "support/harness.h"

#include <QWindow>

Harness::Harness()
{
    InitProgram(w, state);
    connectEventTable(p, filter);
}

void Harness::showWindow()
{
    if (w.isVisible())
        return;
    w.show();
    w.activateWindow();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
}

namespace {
QPoint centreInWindow(QWidget *control, QWidget *window)
{
    return control->mapTo(window, control->rect().center());
}
} // namespace

void Harness::press(QWidget *control, Qt::MouseButton button)
{
    showWindow();
    QTest::mousePress(w.windowHandle(), button, {}, centreInWindow(control, &w));
}

void Harness::release(QWidget *control, Qt::MouseButton button)
{
    showWindow();
    QTest::mouseRelease(w.windowHandle(), button, {}, centreInWindow(control, &w));
}

void Harness::click(QWidget *control, Qt::MouseButton button)
{
    press(control, button);
    release(control, button);
}

void Harness::connectWith(const QString &port, const QString &baud, const QString &digit)
{
    w.cbCOM->setEditText(port);
    w.cbbaud->setEditText(baud);
    w.cbAdr->setCurrentIndex(w.cbAdr->findText(digit));
    click(w.cmdEIN);
}

void Harness::tick()
{
    // The timer's own signal, so the tick goes through the event table like a real one.
    QMetaObject::invokeMethod(&w.tmr1, "timeout", Qt::DirectConnection);
}
