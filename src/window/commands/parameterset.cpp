// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/parameterset.h"

#include "unit/errors.h"
#include "unit/parameters/parametersession.h"
#include "unit/line/serialchannel.h"
#include "unit/timedwait.h"
#include "unit/parameters/unitline.h"
#include "unit/protocol/protocol.h"
#include "widgets/mainwindow.h"
#include "widgets/parameterdialog.h"
#include "window/actions.h"
#include "window/commands/presssequence.h"
#include "window/connection/connection.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/receiver.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {

constexpr int parameters = 7;

// The session's line through the window: a read goes out as the F button sends it, a write
// as the send button sends the command line, each through the guarded dispatch as a user's
// action, so what came before it is shown first and nothing goes out once the line is gone.
// The bytes are the receive path's; this only hears them.
class WindowLink : public SessionLink {
public:
    explicit WindowLink(Program &p)
        : p_(p)
        , losses_(p.state.linesLost)
    {
        p_.receiver.listener = [this](const QByteArray &bytes) {
            heard_ += bytes;
            if (waiting_)
                waiting_->quit();
        };
    }
    ~WindowLink() override { p_.receiver.listener = nullptr; }
    WindowLink(const WindowLink &) = delete;
    WindowLink &operator=(const WindowLink &) = delete;

    void writeRequest(const QByteArray &command) override
    {
        const QString text = QString::fromLatin1(command);
        send([this, text](Program &p) {
            heard_.clear();
            pressSequence(p, text);
        });
    }
    void writeCommand(const QByteArray &command) override
    {
        const QString text = QString::fromLatin1(command);
        send([this, text](Program &p) {
            heard_.clear();
            p.w.ed1()->setText(text);
            cmdSendentx_MouseDown(p);
        });
    }
    QByteArray take() override
    {
        checkLine();
        return std::exchange(heard_, QByteArray());
    }
    void waitForBytes(int ms) override
    {
        if (ms <= 0 || !heard_.isEmpty())
            return;
        // The window paints and reads on; only the dialog takes input (it is modal), so
        // „Abbrechen“ can be pressed.
        TimedWait wait(ms, TimedWait::Input::Handled);
        waiting_ = &wait;
        wait.exec();
        waiting_ = nullptr;
        checkLine();
    }

private:
    void send(const Handler &handler)
    {
        checkLine();
        p_.actions.run(handler, Line::Writes);
        checkLine();
    }
    // The window reports a lost line itself; the session only stops.
    void checkLine() const
    {
        if (p_.state.ending || !isConnected(p_) || p_.state.linesLost != losses_)
            throw SerialError(ErrorNumber::PortLost, "Die Verbindung zur Einheit ist unterbrochen.");
    }

    Program &p_;
    unsigned losses_;
    QByteArray heard_;
    TimedWait *waiting_ = nullptr;
};

// The window holds the pauses itself (its buttons' own), so the line adds none.
LineTiming windowTiming()
{
    LineTiming timing;
    timing.settleMs = 0;
    timing.buttonPauseMs = 0;
    timing.sendPauseMs = 0;
    return timing;
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

// The write's progress: a step per parameter read back.
class CountingWriter : public ParameterWriter {
public:
    CountingWriter(ParameterSession &session, ParameterDialog &d, int steps)
        : session_(session)
        , d_(d)
        , steps_(steps)
    {
    }
    QChar address() const override { return session_.address(); }
    void setAddress(QChar address) override { session_.setAddress(address); }
    void write(int n, const QString &value) override
    {
        d_.setStep(done_, QStringLiteral("F%1 ← %2 (%3 von %4)").arg(n).arg(value).arg(done_ + 1).arg(steps_));
        session_.write(n, value);
        // F6 with a new rate is not read back: its write is its step.
        ++done_;
        d_.setStep(done_, QStringLiteral("F%1 ← %2, zurücklesen").arg(n).arg(value));
    }
    std::optional<QString> readBack(int n, QChar address) override { return session_.readBack(n, address); }

private:
    ParameterSession &session_;
    ParameterDialog &d_;
    int steps_;
    int done_ = 0;
};

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
    QString report;
    QString stoppedAt;
    QStringList silent;
    QStringList why;
    int done = 0;
    try {
        WindowLink link(p);
        UnitLine line(link, windowTiming());
        ParameterSession session(line, addressOf(p), p.state.BaudText);
        for (; done < parameters && !d->cancelAsked(); ++done) {
            d->setStep(done, QStringLiteral("F%1 lesen (%2 von %3)").arg(done).arg(done + 1).arg(parameters));
            const ParameterSession::Read read = session.read(done);
            if (!read.value) {
                d->setNoAnswer(done, read.noAnswer);
                silent << QStringLiteral("F%1").arg(done);
                why << read.noAnswer;
                continue;
            }
            d->setUnitValue(done, *read.value);
            // Read without a file: the unit's values are the ones to edit and save.
            if (!d->fileSet().value[std::size_t(done)])
                d->setFileValue(done, read.value);
        }
        d->setStep(done, QString());
        if (done < parameters) {
            report = QStringLiteral("Lesen abgebrochen nach %1 von 7 Parametern, danach nichts mehr gesendet.").arg(done);
            stoppedAt = done == 0 ? QStringLiteral("Abgebrochen vor F0") : QStringLiteral("Abgebrochen nach F%1").arg(done - 1);
        } else if (silent.isEmpty()) {
            report = QStringLiteral("F0–F6 gelesen.");
        } else {
            report = QStringLiteral("F0–F6 gelesen, ohne Antwort: %1.\n%2\nGeschrieben wird erst nach einem Lesen, "
                                    "bei dem alle sieben antworten.")
                         .arg(silent.join(QStringLiteral(", ")), why.join(QLatin1Char('\n')));
        }
    } catch (const SessionFailure &failure) {
        report = failure.message + QStringLiteral("\nLesen beendet, danach nichts mehr gesendet.");
        stoppedAt = QStringLiteral("Beendet bei F%1").arg(done);
    } catch (const RixError &error) {
        report = QString::fromStdString(error.what()) + QStringLiteral("\nLesen beendet, danach nichts mehr gesendet.");
        stoppedAt = (isConnected(p) ? QStringLiteral("Beendet bei F%1") : QStringLiteral("Verbindung unterbrochen bei F%1"))
                        .arg(done);
    }
    showConnection(p, *d);
    d->endRun(report, stoppedAt);
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
    QString failure;
    {
        WindowLink link(p);
        UnitLine line(link, windowTiming());
        ParameterSession session(line, addressOf(p), p.state.BaudText);
        CountingWriter writer(session, *d, count);
        failure = writeInOrder(plan, writer, [d] { return d->cancelAsked(); });
    }
    // The table holds what the unit holds now, as far as it is known.
    for (const PlannedWrite &w : plan) {
        switch (w.state) {
        case PlannedWrite::State::Confirmed: d->setUnitValue(w.n, w.fileValue); break;
        case PlannedWrite::State::NotTaken: d->setUnitValue(w.n, w.readBack); break;
        case PlannedWrite::State::Unknown: d->setUnitValue(w.n, std::nullopt); break;
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
        stoppedAt = stopPoint(p, plan, failure.isEmpty(), losses);
    } else if (!allConfirmed) {
        head = QStringLiteral("Nicht jeder geschriebene Wert ist bestätigt. Stand der Einheit:\n");
    } else {
        head = QStringLiteral("Geschrieben und zurückgelesen: %1 Wert(e).\n").arg(count);
    }
    showConnection(p, *d);
    d->endRun(head + writeReport(plan, ParameterDialog::reportNotes()), stoppedAt);
}
