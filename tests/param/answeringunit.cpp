// SPDX-License-Identifier: GPL-3.0-or-later
#include "answeringunit.h"

#include "param/console.h"
#include "support/waiting.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

void AnsweringUnit::open(const PortSettings &settings)
{
    echo_ = settings.baudText == QLatin1String("4800");
    open_ = true;
}

void AnsweringUnit::write(const QByteArray &bytes)
{
    written.push_back(bytes);
    writtenAt.push_back(std::chrono::steady_clock::now());
    if (bytes.size() < 6 || bytes.at(5) < '0' || bytes.at(5) > '6')
        return;
    const int n = bytes.at(5) - '0';
    if (bytes.mid(3, 2) == "PF" && bytes.size() == 10)
        values[n] = bytes.mid(6);
    if (bytes.mid(3, 2) != "RF")
        return;
    incoming_ += noiseBefore + (echo_ ? bytes : QByteArray()) + bytes.mid(2) + values[n] + "\r\n";
    QTimer::singleShot(0, &context_, [this] {
        if (arrived_)
            arrived_();
    });
}

QByteArray AnsweringUnit::takeAvailable()
{
    return std::exchange(incoming_, QByteArray());
}

std::vector<QByteArray> AnsweringUnit::parameterWrites() const
{
    std::vector<QByteArray> writes;
    for (const QByteArray &bytes : written)
        if (bytes.mid(3, 2) == "PF")
            writes.push_back(bytes);
    return writes;
}

ParamEnd runCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
{
    const std::unique_ptr<ParamCommand> command = makeParamCommand(options, channel, console, QStringLiteral("test"));
    std::optional<ParamEnd> end;
    command->start([&end](const ParamEnd &ended) { end = ended; });
    // A write of five values takes about 3 s of pauses; a loaded machine may take longer.
    EXPECT_TRUE(testsupport::waitUntil([&end] { return end.has_value(); }, std::chrono::seconds(60)))
        << "the command never finished";
    EXPECT_FALSE(channel.isOpen()) << "its port is closed once it has finished";
    return end.value_or(ParamEnd{-1, 0});
}

ParamRun runRixParam(const QStringList &arguments, AnsweringUnit &unit, StopRequest *stop)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    ParamRun run;
    if (!parsed.error.isEmpty()) {
        run.end.exitCode = ParamExit::Error;
        run.err = parsed.error;
        return run;
    }
    StopAfterWrites never(unit, 0, 0);
    StringOutput out, err;
    ParamConsole console{out, err, false, {}, stop ? *stop : never};
    run.end = runCommand(parsed.options, unit, console);
    run.out = out.text;
    run.err = err.text;
    return run;
}
