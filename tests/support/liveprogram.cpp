// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/liveprogram.h"

#include "support/userinput.h"
#include "widgets/lineview.h"
#include "window/app/eventtable.h"
#include "window/app/startup.h"

#include <QTest>
#include <QWindow>

TimedPause::TimedPause(Timeline &timeline) : timeline_(timeline)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        timeline_.add("pause-end");
        if (atEnd)
            atEnd();
        if (auto over = std::exchange(over_, nullptr))
            over();
    });
}

void TimedPause::start(int ms, std::function<void()> over)
{
    timeline_.add("pause:" + std::to_string(ms));
    over_ = std::move(over);
    timer_.start(ms);
}

void TimedPause::stop()
{
    timer_.stop();
    over_ = nullptr;
}

LiveProgram::LiveProgram() : ProgramOnSeams(timeline, channel, pause)
{
    app.start();
    w.activateWindow();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
}

void LiveProgram::press(QWidget *control, Qt::MouseButton button)
{
    userinput::press(w, control, button);
}

void LiveProgram::release(QWidget *control, Qt::MouseButton button)
{
    userinput::release(w, control, button);
}

void LiveProgram::click(QWidget *control, Qt::MouseButton button)
{
    userinput::click(w, control, button);
}

void LiveProgram::connectTo(const QString &port, const QString &baud, const QString &digit)
{
    userinput::connect(w, port, baud, digit);
}

void LiveProgram::typeCommandLine(const QString &text)
{
    click(w.ed1());
    w.ed1()->selectAll();
    QTest::keyClick(w.ed1(), Qt::Key_Delete);
    QTest::keyClicks(w.ed1(), text);
}

bool LiveProgram::connected() const
{
    return channel.isOpen() && !w.cmdEIN()->isEnabled() && conversation.isPolling();
}

QByteArray LiveProgram::receivedBytes() const
{
    QByteArray all;
    for (int i = 0; i < w.lbrx()->count(); ++i)
        all += w.lbrx()->lineBytes(i);
    return all;
}

std::vector<QByteArray> linesOf(const LineView &list)
{
    std::vector<QByteArray> lines;
    for (int i = 0; i < list.count(); ++i)
        lines.push_back(list.lineBytes(i));
    return lines;
}
