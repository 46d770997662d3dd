// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/recording/recordinghandlers.h"

#include "unit/files/completefile.h"
#include "unit/files/recordformat.h"
#include "unit/errors.h"
#include "unit/logging.h"
#include "unit/conversation/conversation.h"
#include "widgets/linelist.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/recording/recording.h"
#include "window/seams.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>

namespace {
const QString ended = QStringLiteral("Mitschnitt beendet");

// The settings as the summary label shows them since the last connect.
QString summary(const Program &p)
{
    return p.w.lbl1()->text();
}

// Both lists and the window's title say whether, and where, a recording runs.
void showRecordingFile(Program &p)
{
    for (LineList *list : {p.w.lb2(), p.w.lbrx()})
        list->fileMenu()->setRecordingFile(p.recording.path(), p.recording.identity());
    p.w.showRecordingFile(p.recording.path());
}

// A recording that stopped by itself is told once, with what reached the file.
void reportStop(Program &p)
{
    showRecordingFile(p);
    if (const std::optional<Recording::Failure> failure = p.recording.takeFailure())
        p.box.show(recordingStoppedMessage(failure->path, failure->reason, failure->recordsWritten));
}

QString records(qint64 count)
{
    if (count == 0)
        return QStringLiteral("Kein Eintrag dieses Mitschnitts steht in der Datei.");
    if (count == 1)
        return QStringLiteral("1 Eintrag dieses Mitschnitts steht vollständig in der Datei.");
    return QStringLiteral("%1 Einträge dieses Mitschnitts stehen vollständig in der Datei.").arg(count);
}
} // namespace

QString recordingNotStartedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Der Mitschnitt in „%1“ kann nicht beginnen.\rGrund: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString recordingStoppedMessage(const QString &path, const QString &reason, qint64 recordsWritten)
{
    return QStringLiteral("Der Mitschnitt in „%1“ wurde beendet, weil die Datei nicht geschrieben werden konnte.\r"
                          "Grund: %2\r%3\rVerbindung und Listen laufen weiter.")
        .arg(QDir::toNativeSeparators(path), reason, records(recordsWritten));
}

void recordingStart(Program &p, const QString &path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    if (p.recording.isRunning()) {
        // Into its own file, under whatever name: the running recording goes on untouched.
        const SaveTarget target = examineSaveTarget(file);
        if (target.exists && target.identity == p.recording.identity()) {
            p.box.show(recordingNotStartedMessage(file, recordingFileRefusal(p.recording.path())));
            return;
        }
        p.recording.stop(ended);
        reportStop(p);
    }
    const QString first = QStringLiteral("Mitschnitt begonnen (rix-term %1), ").arg(QStringLiteral(PROJECT_VERSION))
                          + (p.conversation.isOpen() ? QStringLiteral("verbunden: ") + summary(p) : QStringLiteral("nicht verbunden"));
    QString reason;
    if (!p.recording.start(file, first, &reason)) {
        p.box.show(recordingNotStartedMessage(file, reason));
        return;
    }
    showRecordingFile(p);
}

void recordingStop(Program &p)
{
    p.recording.stop(ended);
    reportStop(p);
}

void recordingFailed(Program &p)
{
    if (p.state.keyHeld && p.conversation.isOpen())
        return;
    reportStop(p);
}

void recordingSyncDue(Program &p)
{
    p.recording.syncDue();
}

void recordShown(Program &p, qint64 msecsSinceEpoch, const ReceiveEngine::Shown &shown)
{
    if (!p.recording.isRunning() || shown.empty())
        return;
    for (const ReceiveEngine::Lines &lines : shown) {
        std::optional<std::string_view> answer;
        if (lines.answer)
            answer = *lines.answer;
        p.recording.addRecord(msecsSinceEpoch, lines.commandLine, answer);
    }
    p.recording.writeRecords();
}

void recordConnected(Program &p)
{
    p.recording.addMarker(QStringLiteral("Verbunden: ") + summary(p));
}

void recordDisconnected(Program &p)
{
    p.recording.addMarker(QStringLiteral("Getrennt"));
}

void recordLineLost(Program &p, const PortLostError &error)
{
    // The error's own text names the port.
    p.recording.addMarker(QStringLiteral("Verbindung unterbrochen (Fehler %1): %2")
                              .arg(QString::number(error.number()), QString::fromStdString(error.what())));
}

void recordRefusedConnect(Program &p, const PortOpenError &error)
{
    p.recording.addMarker(QStringLiteral("Verbinden mit %1 abgelehnt (Fehler %2): %3")
                              .arg(p.state.PortName, QString::number(error.number()), QString::fromStdString(error.what())));
}

namespace {
// Nobody is left to read a box: the reason goes to standard error.
QString unfinishedText(Program &p)
{
    const std::optional<Recording::Failure> failure = p.recording.takeFailure();
    if (!failure)
        return QString();
    return QStringLiteral("rix-term: Der Mitschnitt in „%1“ ist unvollständig: %2 %3")
        .arg(QDir::toNativeSeparators(failure->path), failure->reason, records(failure->recordsWritten));
}
} // namespace

QString recordEndedBySignal(Program &p, int signalNumber)
{
    p.recording.stop(QStringLiteral("Mitschnitt beendet: Programm durch Signal %1 beendet").arg(signalName(signalNumber)));
    showRecordingFile(p);
    return unfinishedText(p);
}

QString recordEndedWithProgram(Program &p)
{
    if (p.recording.isRunning())
        p.recording.stop(QStringLiteral("Mitschnitt beendet"));
    return unfinishedText(p);
}

QString signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return QString::number(signalNumber);
    }
}

void recordReconnected(Program &p)
{
    p.recording.addMarker(QStringLiteral("Wieder verbunden: ") + summary(p));
}

void recordListsCleared(Program &p, qint64 commandLines, qint64 answerLines)
{
    p.recording.addMarker(recordformat::listsClearedText(commandLines, answerLines));
}
