// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/userinput.h"

#include "widgets/mainwindow.h"

#include <QTest>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {
// On a screen smaller than the window a user first scrolls the control into view.
QPoint centreInWindow(QWidget *control, MainWindow &w)
{
    w.scroller()->ensureWidgetVisible(control, 0, 0);
    return control->mapTo(&w, control->rect().center());
}
} // namespace

namespace userinput {

void press(MainWindow &w, QWidget *control, Qt::MouseButton button)
{
    QTest::mousePress(w.windowHandle(), button, {}, centreInWindow(control, w));
}

void release(MainWindow &w, QWidget *control, Qt::MouseButton button)
{
    QTest::mouseRelease(w.windowHandle(), button, {}, centreInWindow(control, w));
}

void click(MainWindow &w, QWidget *control, Qt::MouseButton button)
{
    press(w, control, button);
    release(w, control, button);
}

void queueClick(MainWindow &w, QWidget *control, Qt::MouseButton button)
{
    QWindow *window = w.windowHandle();
    const QPointF local = centreInWindow(control, w);
    const QPointF global = window->mapToGlobal(local.toPoint());
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, button, button, QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
        window, local, global, Qt::NoButton, button, QEvent::MouseButtonRelease);
}

void chooseConnection(MainWindow &w, const QString &port, const QString &baud, const QString &digit)
{
    w.cbCOM()->setEditText(port);
    w.cbbaud()->setEditText(baud);
    w.cbAdr()->setCurrentIndex(w.cbAdr()->findText(digit));
}

void connect(MainWindow &w, const QString &port, const QString &baud, const QString &digit)
{
    chooseConnection(w, port, baud, digit);
    click(w, w.cmdEIN());
}

} // namespace userinput
