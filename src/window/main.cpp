#include "window/app/application.h"
#include "window/app/displayguard.h"
#include "window/app/startup.h"

#include <QApplication>
#include <iostream>
#include <memory>

int main(int argc, char **argv)
{
    // Qt would abort without a display; a technician gets one line saying what is missing.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString noDisplay = missingDisplayMessage(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"),
                                                    qEnvironmentVariable("DISPLAY"),
                                                    qEnvironmentVariable("WAYLAND_DISPLAY"));
    if (!noDisplay.isEmpty()) {
        std::cerr << noDisplay.toLocal8Bit().constData() << '\n';
        return 1;
    }

    std::unique_ptr<QApplication> qtApp;
    {
        // Set but unreachable (sudo, a broken "ssh -X"): one German line, not Qt's abort.
        const UnreachableDisplayGuard guard;
        qtApp = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("RIX-TERM"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    std::unique_ptr<Application> app;
    if (const int failed = startOrReport([&] {
            app = std::make_unique<Application>();
            app->start();
        }, std::cerr))
        return failed;
    return QApplication::exec();
}
