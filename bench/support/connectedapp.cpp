// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/connectedapp.h"

#include "support/userinput.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace bench {

ConnectedApp::ConnectedApp()
{
    app_.start();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&app_.window());
}

void ConnectedApp::press(QWidget *control)
{
    userinput::press(window(), control);
}

void ConnectedApp::release(QWidget *control)
{
    userinput::release(window(), control);
}

void ConnectedApp::click(QWidget *control)
{
    userinput::click(window(), control);
}

bool ConnectedApp::connectTo(const QString &port, const QString &baud, const QString &digit)
{
    MainWindow &w = window();
    userinput::connect(w, port, baud, digit);
    return !w.cmdEIN()->isEnabled() && app_.conversation().isPolling();
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
