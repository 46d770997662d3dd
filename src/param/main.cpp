// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param: reads, compares and writes a RIX unit's parameter set from the command line.

#include "param/commandline.h"
#include "param/console.h"
#include "param/findcommand.h"
#include "param/manyunits.h"
#include "param/paramcommands.h"
#include "param/stopsignals.h"
#include "unit/line/qtserialchannel.h"
#include "unit/line/systemports.h"
#include "unit/search/searchrules.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <iostream>
#include <memory>
#include <string>

#include <unistd.h>

int main(int argc, char *argv[])
{
    StopSignals stops;
    QCoreApplication app(argc, argv);
    // rix-param speaks German on its own lines; the log's English details (the program's
    // categories and Qt's own) appear only when QT_LOGGING_RULES asks for them, which
    // overrides this rule.
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    DescriptorOutput out(STDOUT_FILENO);
    DescriptorOutput err(STDERR_FILENO);

    const ParsedCommandLine parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        err << "rix-param: " << parsed.error << " (--help zeigt die Aufrufe)\n";
        return ParamExit::Error;
    }
    const auto shown = [&](const QString &text) {
        out << text;
        if (!out.failed())
            return ParamExit::Ok;
        err << "rix-param: Standardausgabe: " << out.failure() << '\n';
        return ParamExit::Error;
    };
    const QString version = QStringLiteral("rix-param ") + QStringLiteral(PROJECT_VERSION);
    if (parsed.options.command == ParamOptions::Command::Help)
        return shown(usageText());
    if (parsed.options.command == ParamOptions::Command::Version)
        return shown(version + QLatin1Char('\n'));

    ParamConsole console{out, err, ::isatty(STDIN_FILENO) == 1,
                         [&err](const QString &question) {
                             err << question;
                             std::string answer;
                             std::getline(std::cin, answer);
                             return isYes(QString::fromLocal8Bit(answer.c_str()));
                         },
                         stops};
    if (parsed.options.command == ParamOptions::Command::Find) {
        // The search runs on the program's event loop, which ends with it.
        const auto find = startFind(parsed.options, console, search::adapterPorts(systemPorts()),
                                    [] { return std::make_unique<QtSerialChannel>(); },
                                    [](const ParamEnd &end) { QCoreApplication::exit(end.exitCode); });
        return app.exec();
    }
    // read, diff and write run on this event loop, every unit's exchanges as steps of it,
    // until the last unit is done.
    ParamEnd end;
    bool over = false;
    const auto finished = [&](const ParamEnd &ended) {
        end = ended;
        over = true;
        QCoreApplication::exit();
    };
    std::unique_ptr<EveryUnit> units;
    std::unique_ptr<QtSerialChannel> channel;
    std::unique_ptr<ParamCommand> command;
    if (parsed.options.severalUnits() || parsed.options.json) {
        units = std::make_unique<EveryUnit>(parsed.options, out, err, stops, version,
                                            [] { return std::make_unique<QtSerialChannel>(); });
        units->start(finished);
    } else {
        channel = std::make_unique<QtSerialChannel>();
        command = makeParamCommand(parsed.options, *channel, console, version);
        command->start(finished);
    }
    if (!over)
        QCoreApplication::exec();
    // The ports are closed before the program ends, also by a signal.
    command.reset();
    units.reset();
    if (end.signal != 0)
        StopSignals::endBy(end.signal);
    return end.exitCode;
}
