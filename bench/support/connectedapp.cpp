#include "support/connectedapp.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace bench {

namespace {
QPoint centreInWindow(QWidget *control, QWidget *window)
{
    return control->mapTo(window, control->rect().center());
}
} // namespace

ConnectedApp::ConnectedApp()
{
    app_.start();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&app_.window());
}

void ConnectedApp::press(QWidget *control)
{
    QTest::mousePress(window().windowHandle(), Qt::LeftButton, {}, centreInWindow(control, &window()));
}

void ConnectedApp::release(QWidget *control)
{
    QTest::mouseRelease(window().windowHandle(), Qt::LeftButton, {}, centreInWindow(control, &window()));
}

void ConnectedApp::click(QWidget *control)
{
    press(control);
    release(control);
}

bool ConnectedApp::connectTo(const QString &port, const QString &baud, const QString &digit)
{
    MainWindow &w = window();
    w.cbCOM->setEditText(port);
    w.cbbaud->setEditText(baud);
    w.cbAdr->setCurrentIndex(w.cbAdr->findText(digit));
    click(w.cmdEIN);
    return !w.cmdEIN->isEnabled() && w.tmr1.isActive();
}

bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout, int checkMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    bool held = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            held = true;
            loop.quit();
        }
    });
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    check.start(checkMs);
    loop.exec();
    return held;
}

void runFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace bench
