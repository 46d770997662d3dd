// rix-param: reads, compares and writes a RIX unit's parameter set from the command line.

#include "param/commandline.h"
#include "param/paramcommands.h"
#include "unit/qtserialchannel.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const ParsedCommandLine parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        err << "rix-param: " << parsed.error << " (--help zeigt die Aufrufe)" << Qt::endl;
        return ParamExit::Error;
    }
    if (parsed.options.command == ParamOptions::Command::Help) {
        out << usageText() << Qt::flush;
        return ParamExit::Ok;
    }

    ParamConsole console{out, err, ::isatty(STDIN_FILENO) == 1, [&err](const QString &question) {
                             err << question << Qt::flush;
                             std::string answer;
                             std::getline(std::cin, answer);
                             return answer == "j" || answer == "J" || answer == "ja" || answer == "Ja";
                         }};
    QtSerialChannel channel;
    return runParamCommand(parsed.options, channel, console,
                           QStringLiteral("rix-param ") + QStringLiteral(PROJECT_VERSION));
}
