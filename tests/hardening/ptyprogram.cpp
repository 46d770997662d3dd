#include "hardening/ptyprogram.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWindow>

void TimedPause::pause(int ms)
{
    timeline_.add("pause:" + std::to_string(ms));
    real_.pause(ms);
    timeline_.add("pause-end");
    if (atEnd)
        atEnd();
}

PtyProgram::PtyProgram()
{
    InitProgram(w, state);
    connectEventTable(p, filter);
}

void PtyProgram::showWindow()
{
    if (w.isVisible())
        return;
    w.show();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
}

namespace {
QPoint centreInWindow(QWidget *control, QWidget *window)
{
    return control->mapTo(window, control->rect().center());
}
} // namespace

void PtyProgram::press(QWidget *control)
{
    showWindow();
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, centreInWindow(control, &w));
}

void PtyProgram::release(QWidget *control)
{
    showWindow();
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, centreInWindow(control, &w));
}

void PtyProgram::click(QWidget *control)
{
    press(control);
    release(control);
}

void PtyProgram::connectWith(const QString &port, const QString &baud, const QString &digit)
{
    w.cbCOM->setEditText(port);
    w.cbbaud->setEditText(baud);
    w.cbAdr->setCurrentIndex(w.cbAdr->findText(digit));
    click(w.cmdEIN);
}

QByteArray PtyProgram::receivedBytes() const
{
    QByteArray all;
    for (int i = 0; i < w.lbrx->count(); ++i)
        all += w.lbrx->lineBytes(i);
    return all;
}

bool runEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    return QTest::qWaitFor(done, int(timeout.count()));
}

void runEventsFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}
