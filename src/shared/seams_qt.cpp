#include "shared/seams_qt.h"

#include "shared/displaylines.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

void EventLoopPause::pause(int ms)
{
    // Not AllEvents: a window closed in the middle of a pause would destroy what the
    // running handler still uses. Input and close requests wait, in order, until the end.
    QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    while (!deadline.hasExpired()) {
        timer.start(int(deadline.remainingTime()));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void QtMessageBox::show(const QString &text)
{
    // Default title (the application's name), OK only, no icon.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), displayLines(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

void QtProgramEnd::end()
{
    QCoreApplication::exit(0);
}
