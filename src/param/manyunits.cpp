// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/manyunits.h"

#include "param/console.h"
#include "param/setoutput.h"
#include "param/stopsignals.h"
#include "param/unitlines.h"
#include "param/unitreport.h"
#include "unit/line/serialchannel.h"
#include "unit/parameters/parameterset.h"

#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QSemaphore>
#include <QThread>

#include <memory>
#include <mutex>
#include <variant>

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

// How long a second signal waits for the units to print their reports before the program
// ends: a unit is at most one write time-out away from its event loop.
constexpr int reportWaitMs = 2000;

// One unit's view of the process's stop signals: the signals are shared, the announcement
// of a held signal is the unit's own and is made on the unit's thread.
class UnitStop : public StopRequest {
public:
    explicit UnitStop(StopRequest &shared) : shared_(shared) {}
    // Held by the runner for every unit before the first one began.
    void holdSignals() override {}
    int pending() const override { return shared_.pending(); }
    void announceWith(Announce announce) override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        announce_ = std::move(announce);
    }
    // Runs the unit's announcement on its thread (`context` lives there); false when the
    // unit has none or is gone. `done` runs after it.
    bool announce(int signal, bool again, const std::function<void()> &done)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!announce_ || !context_)
            return false;
        QMetaObject::invokeMethod(context_, [this, signal, again, done] {
            Announce announce;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                announce = announce_;
            }
            if (announce)
                announce(signal, again);
            done();
        });
        return true;
    }
    void setContext(QObject *context)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        context_ = context;
    }

private:
    StopRequest &shared_;
    std::mutex mutex_;
    Announce announce_;
    QObject *context_ = nullptr;
};

struct Unit {
    Unit(const ParamOptions &all, const QString &port, SharedLines *out, SharedLines *err, StopRequest &stop)
        : options(all)
        , out(out, port)
        , err(err, port)
        , stop(stop)
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
    ParamEnd end;
};

} // namespace

QString unitFileName(const QString &port, QChar address)
{
    QString name = port.startsWith(QLatin1String("/dev/")) ? port.mid(5) : port;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    while (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name + QLatin1Char('-') + (address.isNull() ? QStringLiteral("unbekannt") : QString(address))
           + QStringLiteral(".txt");
}

ParamEnd runOnEveryUnit(const ParamOptions &options, TextOutput &out, TextOutput &err, StopRequest &stop,
                        const QString &programVersion, const MakeChannel &makeChannel)
{
    const bool toFolder = options.command == ParamOptions::Command::Read && !options.toStandardOutput();
    if (toFolder) {
        const QString probe = QDir(options.outputFile).filePath(QStringLiteral(".rix-param-probe"));
        if (const QString refused = outputRefusal(probe, stop); !refused.isEmpty()) {
            err << "rix-param: " << QString(refused).replace(probe, options.outputFile) << '\n';
            return {ParamExit::Error};
        }
    }
    SharedLines sharedOut(out);
    SharedLines sharedErr(err);
    // With --json or a folder the units' text is kept for their reports and files, not shown.
    SharedLines *unitOut = options.json || toFolder ? nullptr : &sharedOut;
    std::vector<std::unique_ptr<Unit>> units;
    const QStringList ports = options.ports.isEmpty() ? QStringList{options.port} : options.ports;
    for (const QString &port : ports)
        units.push_back(std::make_unique<Unit>(options, port, unitOut, &sharedErr, stop));

    if (options.command == ParamOptions::Command::Write && !options.dryRun) {
        stop.holdSignals();
        stop.announceWith([&units](int signal, bool again) {
            // Shared: a unit that answers after the wait must find it still there.
            const auto reported = std::make_shared<QSemaphore>();
            int waiting = 0;
            for (const auto &unit : units)
                if (unit->stop.announce(signal, again, [reported] { reported->release(); }))
                    ++waiting;
            // A second signal ends the program when this returns: every unit's report first.
            if (again)
                reported->tryAcquire(waiting, reportWaitMs);
        });
    }

    QEventLoop allDone;
    int running = 0;
    std::vector<std::unique_ptr<QThread>> threads;
    for (const auto &unitPointer : units) {
        Unit *unit = unitPointer.get();
        threads.emplace_back(QThread::create([unit, &programVersion, &makeChannel] {
            QObject context;
            unit->stop.setContext(&context);
            {
                const std::unique_ptr<SerialChannel> channel = makeChannel();
                ParamConsole console{unit->out, unit->err, false, [](const QString &) { return false; }, unit->stop};
                unit->end = runParamCommand(unit->options, *channel, console, programVersion);
            }
            unit->stop.setContext(nullptr);
            unit->out.finish();
            unit->err.finish();
        }));
        QObject::connect(threads.back().get(), &QThread::finished, &allDone, [&running, &allDone] {
            if (--running == 0)
                allDone.quit();
        });
        ++running;
    }
    for (const auto &thread : threads)
        thread->start();
    if (running > 0)
        allDone.exec();
    for (const auto &thread : threads)
        thread->wait();
    stop.announceWith({});

    ParamEnd end;
    for (const auto &unit : units) {
        if (toFolder && unit->end.exitCode == ParamExit::Ok) {
            const QString text = unit->out.text();
            const QString path = QDir(options.outputFile).filePath(unitFileName(unit->options.port, setAddress(text)));
            const QString failed = saveSet(path, text, stop);
            if (failed.isEmpty()) {
                if (!options.quiet)
                    sharedErr.putLine(unit->options.port + QStringLiteral(": Parametersatz in %1 gespeichert.").arg(path));
            } else {
                sharedErr.putLine(unit->options.port + QStringLiteral(": rix-param: ") + failed);
                unit->end.exitCode = ParamExit::Error;
            }
        }
        end.exitCode = worse(end.exitCode, unit->end.exitCode);
        if (end.signal == 0)
            end.signal = unit->end.signal;
    }
    if (options.json) {
        QStringList reports;
        for (const auto &unit : units)
            reports << QString::fromUtf8(unitReportJson(options.command, unit->options.port, unit->end.exitCode,
                                                        unit->end.signal, unit->out.text(), unit->err.lines()));
        out << "[\n  " << reports.join(QStringLiteral(",\n  ")) << "\n]\n";
        if (out.failed()) {
            err << "rix-param: Standardausgabe: " << out.failure() << '\n';
            end.exitCode = ParamExit::Error;
        }
    }
    return end;
}
