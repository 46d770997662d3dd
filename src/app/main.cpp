#include "app/application.h"

#include <QApplication>
#include <iostream>
#include <memory>

int main(int argc, char **argv)
{
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
