// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/parameterset.h"

#include "unit/conversation/conversation.h"
#include "unit/parameters/parametersession.h"
#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "widgets/parameterdialog.h"
#include "window/actions.h"
#include "window/connection/connection.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

constexpr int parameters = 7;

// The dialog's exchanges go out as the F buttons' and the send button's do (their bytes, their
// pauses, after the unit's pause) and show in both lists and the recording under their
// command, without going through ed1.
ParameterLine windowLine(Program &p, std::function<bool()> stopAsked = {})
{
    ParameterLine use{p.conversation, LineTiming(), Conversation::Wait::UnitPause, nullptr, std::move(stopAsked)};
    use.writing = [&p](const QByteArray &command, bool isRead) { p.receiver.showNextAs(command, isRead ? 1 : 0); };
    return use;
}

QChar addressOf(const Program &p)
{
    return p.state.AddressDigit.isEmpty() ? QChar(protocol::everyUnit) : p.state.AddressDigit.front();
}

// The dialog learns from the window whether it is connected, and to what.
void showConnection(Program &p, ParameterDialog &d)
{
    // Values read before the port was last opened may be another unit's, or changed meanwhile:
    // a write planned against them could skip a value the unit does not hold.
    if (d.unitConnection() != p.state.connections)
        d.clearUnitValues(p.state.connections);
    if (isConnected(p))
        d.setConnection(true, QStringLiteral("Einheit %1 an %2 mit %3 Baud")
                                  .arg(p.state.AddressDigit, p.state.PortName, p.state.BaudText));
    else
        d.setConnection(false, QStringLiteral("Nicht verbunden: Lesen und Schreiben erst nach „Verbinden“ im Fenster. "
                                              "Dateien lassen sich öffnen, bearbeiten und speichern."));
}

// Where a write stopped early, for the dialog's bar: after the last parameter finished when
// „Abbrechen“ stopped it, else at the parameter on the line.
QString stopPoint(const Program &p, const std::vector<PlannedWrite> &plan, bool cancelled, unsigned losses)
{
    int last = -1;
    for (const PlannedWrite &w : plan)
        if (!w.leftOut && w.state != PlannedWrite::State::NotWritten)
            last = w.n;
    if (cancelled)
        return last < 0 ? QStringLiteral("Abgebrochen vor dem ersten Wert") : QStringLiteral("Abgebrochen nach F%1").arg(last);
    const bool lost = p.state.linesLost != losses || !isConnected(p);
    return (lost ? QStringLiteral("Verbindung unterbrochen bei F%1") : QStringLiteral("Beendet bei F%1")).arg(last);
}

} // namespace

ParameterDialog *parameterDialog(const Program &p)
{
    return p.w.findChild<ParameterDialog *>(QStringLiteral("parameterDialog"), Qt::FindDirectChildrenOnly);
}

void showParameterSet(Program &p)
{
    // A held TR key's release comes with the mouse-up, which a modal dialog would swallow.
    if (p.state.keyHeld && isConnected(p))
        return;
    ParameterDialog *d = parameterDialog(p);
    if (!d) {
        d = new ParameterDialog(&p.w);
        QObject::connect(d, &ParameterDialog::readAsked, d, [&p] { p.actions.run(readParameterSet, Line::NotNeeded); });
        QObject::connect(d, &ParameterDialog::writeAsked, d, [&p] { p.actions.run(writeParameterSet, Line::NotNeeded); });
        d->setHeaderSource([&p] {
            return SetHeader{p.state.PortName, p.state.BaudText, p.state.AddressDigit,
                             QDateTime::currentDateTime().toString(Qt::ISODate),
                             QStringLiteral("rix-term ") + QStringLiteral(PROJECT_VERSION)};
        });
    }
    showConnection(p, *d);
    d->show();
    d->raise();
    d->activateWindow();
}

namespace {

// A read of all seven, one exchange after another on the conversation; it lives until its
// last answer (or the line's end) has been shown in the dialog, and goes with the dialog.
class SetRead : public QObject {
public:
    SetRead(Program &p, ParameterDialog &d)
        : QObject(&d)
        , p_(p)
        , d_(d)
        , session_(windowLine(p, [&d] { return d.cancelAsked(); }), addressOf(p), p.state.BaudText)
    {
    }
    void start() { next(); }

private:
    void next()
    {
        if (done_ < parameters && !d_.cancelAsked()) {
            d_.setStep(done_, QStringLiteral("F%1 lesen (%2 von %3)").arg(done_).arg(done_ + 1).arg(parameters));
            session_.read(done_, [this](const ParameterSession::Read &read) { take(read); });
            return;
        }
        end(done_ < parameters ? cancelled() : finished(), done_ < parameters ? stoppedBefore() : QString());
    }
    void take(const ParameterSession::Read &read)
    {
        if (read.stopped) {
            end(cancelled(), stoppedBefore());
            return;
        }
        if (!read.failure.isEmpty()) {
            const bool lost = read.lineGone && !isConnected(p_);
            end(read.failure + QStringLiteral("\nLesen beendet, danach nichts mehr gesendet."),
                (lost ? QStringLiteral("Verbindung unterbrochen bei F%1") : QStringLiteral("Beendet bei F%1")).arg(done_));
            return;
        }
        if (read.value) {
            d_.setUnitValue(done_, *read.value);
            // Read without a file: the unit's values are the ones to edit and save.
            if (!d_.fileSet().value[std::size_t(done_)])
                d_.setFileValue(done_, read.value);
        } else {
            d_.setNoAnswer(done_, read.noAnswer);
            silent_ << QStringLiteral("F%1").arg(done_);
            why_ << read.noAnswer;
        }
        ++done_;
        next();
    }
    QString cancelled() const
    {
        return QStringLiteral("Lesen abgebrochen nach %1 von 7 Parametern, danach nichts mehr gesendet.").arg(done_);
    }
    QString stoppedBefore() const
    {
        return done_ == 0 ? QStringLiteral("Abgebrochen vor F0") : QStringLiteral("Abgebrochen nach F%1").arg(done_ - 1);
    }
    QString finished() const
    {
        if (silent_.isEmpty())
            return QStringLiteral("F0–F6 gelesen.");
        return QStringLiteral("F0–F6 gelesen, ohne Antwort: %1.\n%2\nGeschrieben wird erst nach einem Lesen, "
                              "bei dem alle sieben antworten.")
            .arg(silent_.join(QStringLiteral(", ")), why_.join(QLatin1Char('\n')));
    }
    void end(const QString &report, const QString &stoppedAt)
    {
        d_.setStep(done_, QString());
        showConnection(p_, d_);
        d_.endRun(report, stoppedAt);
        // What was read is there to be edited: the keys go to the table, wherever they were.
        d_.focusFileValues();
        delete this;
    }

    Program &p_;
    ParameterDialog &d_;
    ParameterSession session_;
    int done_ = 0;
    QStringList silent_;
    QStringList why_;
};

// A write of the plan, each parameter read back; it lives until the report is shown, and
// goes with the dialog.
class SetWrite : public QObject {
public:
    SetWrite(Program &p, ParameterDialog &d, std::vector<PlannedWrite> plan, int count)
        : QObject(&d)
        , p_(p)
        , d_(d)
        , losses_(p.state.linesLost)
        , count_(count)
        , session_(windowLine(p), addressOf(p), p.state.BaudText)
        , write_(std::move(plan), session_, [&d] { return d.cancelAsked(); })
    {
        // The write's progress: a step per parameter written (F6 with a new rate is not read
        // back: its write is its step).
        write_.step = [this](const PlannedWrite &w, bool written) {
            if (!written) {
                d_.setStep(done_, QStringLiteral("F%1 ← %2 (%3 von %4)").arg(w.n).arg(w.fileValue).arg(done_ + 1).arg(count_));
                return;
            }
            ++done_;
            d_.setStep(done_, QStringLiteral("F%1 ← %2, zurücklesen").arg(w.n).arg(w.fileValue));
        };
    }
    void start()
    {
        write_.start([this](const QString &failure) { end(failure); });
    }

private:
    void end(const QString &failure)
    {
        const std::vector<PlannedWrite> &plan = write_.plan();
        // The table holds what the unit holds now, as far as it is known.
        for (const PlannedWrite &w : plan) {
            switch (w.state) {
            case PlannedWrite::State::Confirmed: d_.setUnitValue(w.n, w.fileValue); break;
            case PlannedWrite::State::NotTaken: d_.setUnitValue(w.n, w.readBack); break;
            case PlannedWrite::State::Unknown: d_.setUnitValue(w.n, std::nullopt); break;
            case PlannedWrite::State::NotWritten: break;
            }
        }
        const bool cutShort = !failure.isEmpty() || std::any_of(plan.begin(), plan.end(), [](const PlannedWrite &w) {
            return !w.leftOut && w.state == PlannedWrite::State::NotWritten;
        });
        const bool allConfirmed = std::all_of(plan.begin(), plan.end(), [](const PlannedWrite &w) {
            return w.leftOut || w.state == PlannedWrite::State::Confirmed;
        });
        QString head;
        QString stoppedAt;
        if (cutShort) {
            head = (failure.isEmpty() ? QStringLiteral("Abgebrochen.") : failure)
                   + QStringLiteral("\nSchreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n");
            stoppedAt = stopPoint(p_, plan, failure.isEmpty(), losses_);
        } else if (!allConfirmed) {
            head = QStringLiteral("Nicht jeder geschriebene Wert ist bestätigt. Stand der Einheit:\n");
        } else {
            head = QStringLiteral("Geschrieben und zurückgelesen: %1 Wert(e).\n").arg(count_);
        }
        showConnection(p_, d_);
        d_.endRun(head + writeReport(plan, ParameterDialog::reportNotes()), stoppedAt);
        delete this;
    }

    Program &p_;
    ParameterDialog &d_;
    unsigned losses_;
    int count_;
    int done_ = 0;
    ParameterSession session_;
    PlanWrite write_;
};

} // namespace

void readParameterSet(Program &p)
{
    ParameterDialog *d = parameterDialog(p);
    if (!d || d->isRunning())
        return;
    showConnection(p, *d);
    if (!isConnected(p))
        return;
    // A read that stops early leaves none of an earlier read's values beside its own.
    d->clearUnitValues(p.state.connections);
    d->startRun(QStringLiteral("Lesen …"), parameters);
    (new SetRead(p, *d))->start();
}

void writeParameterSet(Program &p)
{
    ParameterDialog *d = parameterDialog(p);
    if (!d || d->isRunning())
        return;
    showConnection(p, *d);
    const ParameterSet unit = d->unitSet();
    if (!isConnected(p) || !std::all_of(unit.value.begin(), unit.value.end(), [](const auto &v) { return v.has_value(); }))
        return;
    std::vector<PlannedWrite> plan = makeWritePlan(d->fileSet(), unit, d->includeLineSettings());
    const int count = int(std::count_if(plan.begin(), plan.end(), [](const PlannedWrite &w) { return !w.leftOut; }));
    if (count == 0) {
        d->endRun(plan.empty() ? QStringLiteral("Nichts zu schreiben.")
                               : QStringLiteral("Nichts geschrieben.\n") + writeReport(plan, ParameterDialog::reportNotes()));
        return;
    }
    // The question is modal: the line may have been lost and opened again while it was asked.
    const unsigned connection = p.state.connections;
    const unsigned losses = p.state.linesLost;
    if (!d->confirmWrite(plan)) {
        d->endRun(QStringLiteral("Nichts geschrieben."));
        return;
    }
    if (p.state.connections != connection || p.state.linesLost != losses) {
        showConnection(p, *d);
        d->endRun(QStringLiteral("Die Verbindung war während der Frage unterbrochen. Nichts geschrieben; "
                                 "bitte die Werte der Einheit neu lesen."));
        return;
    }
    d->startRun(QStringLiteral("Schreiben …"), count);
    (new SetWrite(p, *d, std::move(plan), count))->start();
}
