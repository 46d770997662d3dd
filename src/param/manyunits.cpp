// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/manyunits.h"

#include "param/console.h"
#include "param/setoutput.h"
#include "param/stopsignals.h"
#include "param/unitlines.h"
#include "param/unitreport.h"
#include "unit/line/serialchannel.h"

#include <QDir>

namespace {

// The worse of two exit codes: an error, then an unconfirmed write, then a difference.
int worse(int a, int b)
{
    const auto rank = [](int code) {
        switch (code) {
        case ParamExit::Error: return 3;
        case ParamExit::NotConfirmed: return 2;
        case ParamExit::Different: return 1;
        default: return 0;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

// One unit's view of the process's stop signals: the signals are shared and held by the
// runner; what a held signal has the unit say is the unit's own.
class UnitStop : public StopRequest {
public:
    explicit UnitStop(StopRequest &shared) : shared_(shared) {}
    void holdSignals() override {}
    int pending() const override { return shared_.pending(); }
    void announceWith(Announce announce) override { announce_ = std::move(announce); }
    void announce(int signal, bool again) const
    {
        // A copy: the announcement may end the unit's write, which takes its own back.
        if (const Announce announce = announce_)
            announce(signal, again);
    }

private:
    StopRequest &shared_;
    Announce announce_;
};

} // namespace

struct EveryUnit::Unit {
    Unit(const ParamOptions &all, const QString &port, SharedLines *sharedOut, SharedLines *sharedErr, StopRequest &shared)
        : options(all)
        , out(sharedOut, port)
        , err(sharedErr, port)
        , stop(shared)
        , console{out, err, false, [](const QString &) { return false; }, stop}
    {
        options.port = port;
        options.ports = {port};
        // A unit's set goes to its own file after the read, or to the shared output.
        options.outputFile.clear();
    }
    ParamOptions options;
    UnitLines out;
    UnitLines err;
    UnitStop stop;
    ParamConsole console;
    std::unique_ptr<SerialChannel> channel;
    std::unique_ptr<ParamCommand> command;
    UnitResult result;
    bool done = false;
};

QString unitFileName(const QString &port, QChar address)
{
    QString name = port.startsWith(QLatin1String("/dev/")) ? port.mid(5) : port;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name + QLatin1Char('-') + (address.isNull() ? QStringLiteral("unbekannt") : QString(address))
           + QStringLiteral(".txt");
}

EveryUnit::EveryUnit(const ParamOptions &options, TextOutput &out, TextOutput &err, StopRequest &stop,
                     const QString &programVersion, MakeChannel makeChannel)
    : options_(options)
    , out_(out)
    , err_(err)
    , stop_(stop)
    , version_(programVersion)
    , makeChannel_(std::move(makeChannel))
    , toFolder_(options.command == ParamOptions::Command::Read && !options.toStandardOutput())
    , sharedOut_(std::make_unique<SharedLines>(out))
    , sharedErr_(std::make_unique<SharedLines>(err))
{
}

EveryUnit::~EveryUnit()
{
    stop_.announceWith({});
    // The commands close their ports before the channels go.
    for (auto &unit : units_)
        unit->command.reset();
}

void EveryUnit::start(std::function<void(const ParamEnd &)> finished)
{
    finished_ = std::move(finished);
    if (toFolder_) {
        const QString probe = QDir(options_.outputFile).filePath(QStringLiteral(".rix-param-probe"));
        if (const QString refused = outputRefusal(probe, stop_); !refused.isEmpty()) {
            err_ << "rix-param: " << QString(refused).replace(probe, options_.outputFile) << '\n';
            if (auto done = std::exchange(finished_, nullptr))
                done({ParamExit::Error});
            return;
        }
    }
    // With --json or a folder the units' text is kept for their reports and files, not shown.
    SharedLines *unitOut = options_.json || toFolder_ ? nullptr : sharedOut_.get();
    const QStringList ports = options_.ports.isEmpty() ? QStringList{options_.port} : options_.ports;
    for (const QString &port : ports)
        units_.push_back(std::make_unique<Unit>(options_, port, unitOut, sharedErr_.get(), stop_));

    if (options_.command == ParamOptions::Command::Write && !options_.dryRun) {
        stop_.holdSignals();
        stop_.announceWith([this](int signal, bool again) { announce(signal, again); });
    }
    for (auto &unit : units_) {
        unit->channel = makeChannel_();
        unit->command = makeParamCommand(unit->options, *unit->channel, unit->console, version_);
    }
    // Every unit opens its port and is on its way before any of them waits for its unit.
    starting_ = true;
    for (auto &unitPointer : units_) {
        Unit &unit = *unitPointer;
        unit.command->start([this, &unit](const ParamEnd &end) { unitDone(unit, end); });
    }
    starting_ = false;
    if (done_ == units_.size())
        wrapUp();
}

void EveryUnit::unitDone(Unit &unit, const ParamEnd &end)
{
    unit.result = unit.command->result();
    unit.result.exitCode = end.exitCode;
    unit.result.signal = end.signal;
    unit.done = true;
    unit.out.finish();
    unit.err.finish();
    if (++done_ == units_.size() && !starting_)
        wrapUp();
}

void EveryUnit::announce(int signal, bool again)
{
    for (const auto &unit : units_)
        if (!unit->done)
            unit->stop.announce(signal, again);
    if (!again)
        return;
    // The program ends when this returns: what each unit's result says now is all there is.
    for (const auto &unit : units_) {
        if (unit->done)
            continue;
        unit->command->endBySignal(signal);
        unit->result = unit->command->result();
        unit->err.finish();
    }
    if (options_.json && !printJson())
        err_ << "rix-param: Standardausgabe: " << out_.failure() << '\n';
}

void EveryUnit::saveToFolder(Unit &unit)
{
    const QString path = QDir(options_.outputFile).filePath(unitFileName(unit.options.port, unit.result.address()));
    const QString failed = saveSet(path, unit.out.text(), stop_);
    if (failed.isEmpty()) {
        if (!options_.quiet)
            sharedErr_->putLine(unit.options.port + QStringLiteral(": Parametersatz in %1 gespeichert.").arg(path));
    } else {
        sharedErr_->putLine(unit.options.port + QStringLiteral(": rix-param: ") + failed);
        unit.result.exitCode = ParamExit::Error;
    }
}

void EveryUnit::wrapUp()
{
    stop_.announceWith({});
    ParamEnd end;
    for (const auto &unit : units_) {
        if (toFolder_ && unit->result.exitCode == ParamExit::Ok)
            saveToFolder(*unit);
        end.exitCode = worse(end.exitCode, unit->result.exitCode);
        if (end.signal == 0)
            end.signal = unit->result.signal;
    }
    if (options_.json && !printJson()) {
        err_ << "rix-param: Standardausgabe: " << out_.failure() << '\n';
        end.exitCode = ParamExit::Error;
    }
    if (auto finished = std::exchange(finished_, nullptr))
        finished(end);
}

std::vector<UnitResult> EveryUnit::results() const
{
    std::vector<UnitResult> results;
    for (const auto &unit : units_) {
        results.push_back(unit->done || !unit->command ? unit->result : unit->command->result());
        results.back().messages = unit->err.lines();
    }
    return results;
}

bool EveryUnit::printJson()
{
    out_ << unitReportsJson(results());
    return !out_.failed();
}
