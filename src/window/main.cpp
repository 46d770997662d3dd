#include "window/app/application.h"
#include "window/app/startup.h"

#include <QApplication>
#include <iostream>
#include <memory>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString information = informationAsked(arguments, QStringLiteral(PROJECT_VERSION));
    if (!information.isEmpty()) {
        std::cout << information.toLocal8Bit().constData() << std::flush;
        if (std::cout)
            return 0;
        std::cerr << "rix-term: Die Standardausgabe nimmt den Text nicht an.\n";
        return 1;
    }
    // Qt would abort without a display; a technician gets one line saying what is missing.
    const QString noDisplay = missingDisplayMessage(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"),
                                                    qEnvironmentVariable("DISPLAY"),
                                                    qEnvironmentVariable("WAYLAND_DISPLAY"));
    if (!noDisplay.isEmpty()) {
        std::cerr << noDisplay.toLocal8Bit().constData() << '\n';
        return 1;
    }

    QApplication qtApp(argc, argv);
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
