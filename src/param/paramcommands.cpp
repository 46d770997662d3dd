// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/paramcommands.h"

#include "param/console.h"
#include "param/setchanges.h"
#include "param/setoutput.h"
#include "param/writecommand.h"
#include "unit/errors.h"
#include "unit/parameters/parameterset.h"

#include <QDateTime>

namespace {

constexpr int parameterCount = 7;

class ReadCommand : public ParamCommand {
public:
    ReadCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console, const QString &version)
        : ParamCommand(options, channel, console)
        , version_(version)
    {
    }

private:
    void begin() override
    {
        // A place that cannot take the file costs no read.
        if (!options_.toStandardOutput())
            if (const QString refused = outputRefusal(options_.outputFile, console_.stop); !refused.isEmpty())
                throw ParamFailure{refused};
        ParameterSet all;
        for (int n = 0; n < parameterCount; ++n)
            all.value[std::size_t(n)] = QString();
        session_.open([this, all] { session_.readPresent(all, [this](const ParameterSet &set) { step([&] { read(set); }); }); });
    }

    void read(const ParameterSet &set)
    {
        result_.values = set;
        const SetHeader header{options_.port, options_.baud, QString(options_.address),
                               QDateTime::currentDateTime().toString(Qt::ISODate), version_};
        const QString text = printParameterSet(set, header);
        if (options_.toStandardOutput()) {
            console_.out << text;
            checkStandardOutput();
        } else {
            const QString failed = saveSet(options_.outputFile, text, console_.stop);
            if (!failed.isEmpty())
                throw ParamFailure{failed};
            session_.progress(QStringLiteral("Parametersatz in %1 gespeichert.").arg(options_.outputFile));
        }
        end({ParamExit::Ok});
    }

    QString version_;
};

class DiffCommand : public ParamCommand {
public:
    DiffCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
        : ParamCommand(options, channel, console)
    {
    }

private:
    void begin() override
    {
        const ParameterSet file = loadSetOrFail(options_.setFile, false);
        session_.open([this, file] {
            session_.readPresent(file, [this, file](const ParameterSet &unit) { step([&] { compare(file, unit); }); });
        });
    }

    void compare(const ParameterSet &file, const ParameterSet &unit)
    {
        for (const int n : differing(file, unit)) {
            result_.changes.push_back({n, *unit.value[std::size_t(n)], file.value[std::size_t(n)]->toUpper()});
            printChange(console_.out, n, result_.changes.back().unitValue, result_.changes.back().fileValue);
        }
        checkStandardOutput();
        end({result_.changes.empty() ? ParamExit::Ok : ParamExit::Different});
    }
};

// No command that talks to a unit: the usage.
class UsageCommand : public ParamCommand {
public:
    UsageCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
        : ParamCommand(options, channel, console)
    {
    }

private:
    void begin() override
    {
        console_.out << usageText();
        checkStandardOutput();
        end({ParamExit::Ok});
    }
};

} // namespace

ParamCommand::ParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
    : options_(options)
    , console_(console)
    , session_(options, channel, console)
{
    result_.command = options.command;
    result_.port = options.port;
    session_.onFailure([this](const QString &message) { fail(message); });
}

ParamCommand::~ParamCommand() = default;

void ParamCommand::start(std::function<void(const ParamEnd &)> finished)
{
    finished_ = std::move(finished);
    step([this] { begin(); });
}

void ParamCommand::step(const std::function<void()> &run)
{
    if (over_)
        return;
    try {
        run();
    } catch (const ParamFailure &failure) {
        fail(failure.message);
    } catch (const RixError &error) {
        fail(QString::fromStdString(error.what()));
    }
}

void ParamCommand::fail(const QString &message)
{
    if (over_)
        return;
    console_.err << "rix-param: " << message << '\n';
    result_.failure = message;
    end({ParamExit::Error});
}

void ParamCommand::end(ParamEnd end)
{
    if (over_)
        return;
    over_ = true;
    result_.exitCode = end.exitCode;
    result_.signal = end.signal;
    session_.close();
    if (auto finished = std::exchange(finished_, nullptr))
        finished(end);
}

void ParamCommand::endBySignal(int signal)
{
    if (over_)
        return;
    over_ = true;
    finished_ = nullptr;
    result_.exitCode = ParamExit::Error;
    result_.signal = signal;
    session_.close();
}

void ParamCommand::checkStandardOutput() const
{
    if (console_.out.failed())
        throw ParamFailure{QStringLiteral("Standardausgabe: %1").arg(console_.out.failure())};
}

std::unique_ptr<ParamCommand> makeParamCommand(const ParamOptions &options, SerialChannel &channel,
                                               ParamConsole &console, const QString &programVersion)
{
    switch (options.command) {
    case ParamOptions::Command::Read: return std::make_unique<ReadCommand>(options, channel, console, programVersion);
    case ParamOptions::Command::Diff: return std::make_unique<DiffCommand>(options, channel, console);
    case ParamOptions::Command::Write: return makeWriteCommand(options, channel, console);
    case ParamOptions::Command::Find:   // searched before any one port is opened (findcommand)
    case ParamOptions::Command::Help:
    case ParamOptions::Command::Version: break;
    }
    return std::make_unique<UsageCommand>(options, channel, console);
}
