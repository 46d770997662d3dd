// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/writecommand.h"

#include "param/console.h"
#include "param/setchanges.h"
#include "param/stopnotice.h"
#include "param/stopsignals.h"
#include "unit/parameters/parametersession.h"
#include "unit/parameters/writereport.h"

#include <QStringList>

#include <algorithm>

namespace {

using State = PlannedWrite::State;

class WriteCommand : public ParamCommand {
public:
    WriteCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
        : ParamCommand(options, channel, console)
    {
    }
    ~WriteCommand() override { stopAnnouncing(); }

    UnitResult result() const override
    {
        UnitResult result = result_;
        if (writing_)
            result.plan = writing_->plan();
        return result;
    }

    void endBySignal(int signal) override
    {
        if (isFinished())
            return;
        // Once the write has begun, the user learns what reached the unit before the end.
        if (writing_) {
            result_.plan = writing_->plan();
            result_.reportShown = true;
            console_.err << secondStopNotice(signal, result_.plan);
        }
        stopAnnouncing();
        ParamCommand::endBySignal(signal);
    }

private:
    void begin() override
    {
        const ParameterSet file = loadSetOrFail(options_.setFile, true);
        // Whether it may ask is known before the unit is: a run that cannot write costs no read.
        if (!options_.yes && !options_.dryRun && !console_.terminal)
            throw ParamFailure{QStringLiteral("Ohne Terminal wird nur mit --yes geschrieben. Nichts geschrieben.")};
        session_.open([this, file] {
            session_.readPresent(file, [this, file](const ParameterSet &unit) { step([&] { planned(file, unit); }); });
        });
    }

    // "F0 und F6 weichen weiter ab (nur mit --include-line-settings geschrieben)."
    QString leftOutNote() const
    {
        QStringList names;
        for (const PlannedWrite &p : result_.plan)
            if (p.leftOut)
                names << parameterName(p.n);
        return QStringLiteral("%1 %2 weiter ab (nur mit --include-line-settings geschrieben).")
            .arg(names.join(QStringLiteral(" und ")), names.size() > 1 ? QStringLiteral("weichen") : QStringLiteral("weicht"));
    }

    bool anyLeftOut() const
    {
        return std::any_of(result_.plan.begin(), result_.plan.end(), [](const PlannedWrite &p) { return p.leftOut; });
    }

    void planned(const ParameterSet &file, const ParameterSet &unit)
    {
        result_.plan = makeWritePlan(file, unit, options_.includeLineSettings);
        qsizetype count = 0;
        for (const PlannedWrite &p : result_.plan) {
            result_.changes.push_back({p.n, p.unitValue, p.fileValue});
            printChange(console_.out, p.n, p.unitValue, p.fileValue);
            if (p.leftOut)
                console_.out << "    " << parameterName(p.n)
                             << " wird nur mit --include-line-settings geschrieben, hier übersprungen.\n";
            else
                ++count;
        }
        const bool leftOut = anyLeftOut();
        if (count == 0) {
            console_.out << (leftOut ? QStringLiteral("Nichts geschrieben. ") + leftOutNote()
                                     : QStringLiteral("Nichts zu schreiben."))
                         << '\n';
        } else if (options_.dryRun) {
            console_.out << "Probelauf: nichts geschrieben.\n";
        }
        if (console_.out.failed())
            throw ParamFailure{QStringLiteral("Standardausgabe: %1 Nichts geschrieben.").arg(console_.out.failure())};
        if (count == 0) {
            end({leftOut ? ParamExit::Different : ParamExit::Ok});
            return;
        }
        if (options_.dryRun) {
            end({ParamExit::Ok});
            return;
        }
        // A no is the user's decision, not a failure: its own exit code, so a script can tell.
        // The question waits for the person at the terminal; nothing is on the line meanwhile.
        if (!options_.yes && !console_.confirm(QStringLiteral("%1 Wert(e) in die Einheit schreiben? [j/N] ").arg(count))) {
            console_.err << "rix-param: Abgebrochen. Nichts geschrieben.\n";
            end({ParamExit::Declined});
            return;
        }
        write(count);
    }

    void write(qsizetype count)
    {
        // From here on a signal does not end the program between a write and its read-back.
        console_.stop.holdSignals();
        writing_ = std::make_unique<PlanWrite>(result_.plan, session_, [this] { return console_.stop.pending() != 0; });
        console_.stop.announceWith([this](int signal, bool again) {
            if (again)
                endBySignal(signal);
            else
                console_.err << firstStopNotice(signal, writing_->plan());
        });
        writing_->start([this, count](const QString &failure) { step([&] { written(failure, count); }); });
    }

    void stopAnnouncing()
    {
        if (writing_)
            console_.stop.announceWith({});
    }

    void reportState()
    {
        result_.reportShown = true;
        console_.err << writeReport(result_.plan);
    }

    void written(const QString &failure, qsizetype count)
    {
        result_.plan = writing_->plan();
        stopAnnouncing();
        // Also a signal during the last parameter: the script that runs rix-param is to stop.
        const int stoppedBy = console_.stop.pending();
        if (!failure.isEmpty() || stoppedBy != 0) {
            QStringList why;
            if (!failure.isEmpty())
                why << failure;
            if (stoppedBy != 0)
                why << QStringLiteral("%1 empfangen.").arg(QLatin1String(StopSignals::describe(stoppedBy)));
            const bool cutShort = !failure.isEmpty() || std::any_of(result_.plan.begin(), result_.plan.end(), [](const PlannedWrite &p) {
                return !p.leftOut && p.state == State::NotWritten;
            });
            result_.failure = why.join(QLatin1Char('\n'));
            console_.err << "rix-param: " << result_.failure << '\n'
                         << (cutShort ? "Schreiben abgebrochen, danach nichts mehr geschrieben. " : "") << "Stand der Einheit:\n";
            reportState();
            end({ParamExit::Error, stoppedBy});
            return;
        }
        const bool allConfirmed = std::all_of(result_.plan.begin(), result_.plan.end(), [](const PlannedWrite &p) {
            return p.leftOut || p.state == State::Confirmed;
        });
        if (!allConfirmed) {
            console_.err << "rix-param: nicht jeder geschriebene Wert ist bestätigt. Stand der Einheit:\n";
            reportState();
            end({ParamExit::NotConfirmed});
            return;
        }
        const bool leftOut = anyLeftOut();
        console_.out << "Geschrieben und zurückgelesen: " << count << " Wert(e).";
        if (leftOut)
            console_.out << ' ' << leftOutNote();
        console_.out << '\n';
        if (console_.out.failed()) {
            result_.failure = QStringLiteral("Standardausgabe: %1").arg(console_.out.failure());
            console_.err << "rix-param: " << result_.failure << " Stand der Einheit:\n";
            reportState();
            end({ParamExit::Error});
            return;
        }
        end({leftOut ? ParamExit::Different : ParamExit::Ok});
    }

    std::unique_ptr<PlanWrite> writing_;
};

} // namespace

std::unique_ptr<ParamCommand> makeWriteCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
{
    return std::make_unique<WriteCommand>(options, channel, console);
}
