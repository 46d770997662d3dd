// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/application.h"
#include "window/app/commandline.h"
#include "window/app/displayguard.h"
#include "window/app/fontconfiguration.h"
#include "window/app/imageformats.h"
#include "window/app/signalend.h"
#include "window/app/startoptions.h"
#include "window/app/startup.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

namespace {
// --help and --version: their text to standard output, checked to its end, as everything the
// program writes (">/dev/full" must not pass for a success).
int printOut(const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) != std::size_t(bytes.size())
        || std::fflush(stdout) != 0) {
        std::cerr << "rix-term: Die Ausgabe konnte nicht geschrieben werden.\n";
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // The command line first: --help, --version and a bad option need no display.
    const StartCommandLine command = parseStartCommandLine(arguments);
    switch (command.action) {
    case StartCommandLine::Action::Help: return printOut(startUsageText());
    case StartCommandLine::Action::Version: return printOut(versionText() + QLatin1Char('\n'));
    case StartCommandLine::Action::Error:
        std::cerr << "rix-term: " << command.error.toLocal8Bit().constData() << " (--help zeigt die Aufrufe)\n";
        return 2;
    case StartCommandLine::Action::Run: break;
    }

    // Qt would abort without a display; a technician gets one line saying what is missing.
    const QString noDisplay = missingDisplayMessage(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"),
                                                    qEnvironmentVariable("DISPLAY"),
                                                    qEnvironmentVariable("WAYLAND_DISPLAY"));
    if (!noDisplay.isEmpty()) {
        std::cerr << noDisplay.toLocal8Bit().constData() << '\n';
        return 1;
    }

    // A file-size limit ("ulimit -f") would end the program by this signal in the middle of a
    // save or a recording; ignored, the write fails with EFBIG and the box says why.
    std::signal(SIGXFSZ, SIG_IGN);

    StartUpThread fontConfiguration = readFontConfigurationInBackground();
    std::unique_ptr<QApplication> qtApp;
    {
        // Set but unreachable (sudo, a broken "ssh -X"): one German line, not Qt's abort.
        const UnreachableDisplayGuard guard;
        qtApp = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("RIX-TERM"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    StartUpThread imageFormats = loadImageFormatsInBackground();
    fontConfiguration.wait();

    std::unique_ptr<Application> app;
    // Caught from here on; acted on in the event loop, where the program exists.
    SignalEnd signalEnd([&app](int signalNumber) {
        if (app)
            endBySignal(app->program(), signalNumber);
    });
    if (const int failed = startOrReport([&] {
            app = std::make_unique<Application>();
            app->start();
            applyStartOptions(app->program(), command.options);
        }, std::cerr))
        return failed;
    imageFormats.wait();
    const int exitCode = QApplication::exec();
    // The recording's last line is written before the program object and Qt go. A file that
    // could not be ended whole is said, and the exit status is not a success's.
    const QString unfinished = app->endRecording();
    app.reset();
    if (!unfinished.isEmpty())
        std::cerr << unfinished.toLocal8Bit().constData() << '\n';
    // Ended by a signal: the process ends by it too, with the port and the file closed.
    signalEnd.endProcess();
    return unfinished.isEmpty() || exitCode != 0 ? exitCode : 1;
}
