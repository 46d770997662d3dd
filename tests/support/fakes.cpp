// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakes.h"

#include "support/waiting.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <utility>

namespace {
// A real box is modal: it blocks the program's windows while it is open.
void blockWindowsAsAModalBoxDoes()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        QEvent blocked(QEvent::WindowBlocked);
        QCoreApplication::sendEvent(window, &blocked);
        QEvent unblocked(QEvent::WindowUnblocked);
        QCoreApplication::sendEvent(window, &unblocked);
    }
}
} // namespace

void RecordingMessageBox::show(const QString &text, const QString &detailText)
{
    details.push_back(detailText);
    texts.push_back(text);
    if (pollTimer_ && pollTimer_->isActive())
        ++shownWithPollingOn;
    timeline_.add("box");
    blockWindowsAsAModalBoxDoes();
}

bool RecordingMessageBox::askToWaitForPort(const QString &text, const QString &detailText)
{
    show(text, detailText);
    return waitForThePort;
}

bool RecordingMessageBox::waitForPort(const QString &text, const std::function<bool()> &tryOpen)
{
    texts.push_back(text);
    details.push_back(QString());
    timeline_.add("wait-box");
    blockWindowsAsAModalBoxDoes();
    for (int i = 0; i < waitTries; ++i) {
        if (beforeTry)
            beforeTry(i);
        if (tryOpen())
            return true;
        testsupport::runEventsFor(std::chrono::milliseconds(waitStepMs));
    }
    return false;
}
