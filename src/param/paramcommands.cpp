// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/paramcommands.h"

#include "param/console.h"
#include "param/session.h"
#include "param/setchanges.h"
#include "param/setoutput.h"
#include "param/writecommand.h"
#include "unit/errors.h"
#include "unit/parameters/parameterset.h"

#include <QDateTime>

namespace {

constexpr int parameterCount = 7;

void checkStandardOutput(const ParamConsole &console)
{
    if (console.out.failed())
        throw ParamFailure{QStringLiteral("Standardausgabe: %1").arg(console.out.failure())};
}

ParamEnd runRead(const ParamOptions &options, Session &session, ParamConsole &console, const QString &version)
{
    if (!options.toStandardOutput())
        if (const QString refused = outputRefusal(options.outputFile, console.stop); !refused.isEmpty())
            throw ParamFailure{refused};
    session.open();
    ParameterSet set;
    for (int n = 0; n < parameterCount; ++n)
        set.value[std::size_t(n)] = session.read(n);
    const SetHeader header{options.port, options.baud, QString(options.address),
                           QDateTime::currentDateTime().toString(Qt::ISODate), version};
    const QString text = printParameterSet(set, header);
    if (options.toStandardOutput()) {
        console.out << text;
        checkStandardOutput(console);
    } else {
        const QString failed = saveSet(options.outputFile, text, console.stop);
        if (!failed.isEmpty())
            throw ParamFailure{failed};
        session.progress(QStringLiteral("Parametersatz in %1 gespeichert.").arg(options.outputFile));
    }
    return {ParamExit::Ok};
}

ParamEnd runDiff(const ParamOptions &options, Session &session, ParamConsole &console)
{
    const ParameterSet file = loadSetOrFail(options.setFile, false);
    session.open();
    const ParameterSet unit = session.readPresent(file);
    const std::vector<int> changed = differing(file, unit);
    for (const int n : changed)
        printChange(console.out, n, *unit.value[std::size_t(n)], file.value[std::size_t(n)]->toUpper());
    checkStandardOutput(console);
    return {changed.empty() ? ParamExit::Ok : ParamExit::Different};
}

} // namespace

ParamEnd runParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console,
                         const QString &programVersion)
{
    try {
        Session session(options, channel, console);
        switch (options.command) {
        case ParamOptions::Command::Read: return runRead(options, session, console, programVersion);
        case ParamOptions::Command::Diff: return runDiff(options, session, console);
        case ParamOptions::Command::Write: return runWrite(options, session, console);
        case ParamOptions::Command::Find:   // searched before any one port is opened (findcommand)
        case ParamOptions::Command::Help:
        case ParamOptions::Command::Version: break;
        }
        console.out << usageText();
        checkStandardOutput(console);
        return {ParamExit::Ok};
    } catch (const ParamFailure &failure) {
        console.err << "rix-param: " << failure.message << '\n';
    } catch (const RixError &error) {
        console.err << "rix-param: " << QString::fromStdString(error.what()) << '\n';
    }
    return {ParamExit::Error};
}
