// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/displayguard.h"

#include "window/app/startup.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// What Qt 6 says on the way to giving up.
const char noPlatform[] = "This application failed to start because no Qt platform plugin could be initialized";

struct Noted {
    QtMessageHandler previous = nullptr;
    QStringList failedPlatforms;
    QString x11Display;
};
Noted *noted = nullptr;

void forward(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (noted && noted->previous) {
        noted->previous(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (noted) {
        static const QRegularExpression notLoaded(QStringLiteral("^Could not load the Qt platform plugin \"([^\"]+)\".*even though it was found"));
        static const QRegularExpression x11(QStringLiteral("^could not connect to display (.*)$"));
        if (const QRegularExpressionMatch m = notLoaded.match(message); m.hasMatch())
            noted->failedPlatforms << m.captured(1);
        else if (const QRegularExpressionMatch d = x11.match(message); d.hasMatch())
            noted->x11Display = d.captured(1).trimmed();
        if (type == QtFatalMsg && message.startsWith(QLatin1String(noPlatform))) {
            const QString line = unreachableDisplayMessage(noted->failedPlatforms, noted->x11Display,
                                                           qEnvironmentVariable("WAYLAND_DISPLAY"));
            if (!line.isEmpty()) {
                std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
                std::fflush(stderr);
                // Qt is half-built here; nothing is left to clean up that the system does not.
                std::_Exit(1);
            }
        }
    }
    forward(type, context, message);
}

} // namespace

UnreachableDisplayGuard::UnreachableDisplayGuard()
{
    noted = new Noted;
    noted->previous = qInstallMessageHandler(handler);
}

UnreachableDisplayGuard::~UnreachableDisplayGuard()
{
    qInstallMessageHandler(noted->previous);
    delete noted;
    noted = nullptr;
}
