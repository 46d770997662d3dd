// SPDX-License-Identifier: GPL-3.0-or-later
// The list's part of a recording ("Mitschnitt"): its menu entries and tool tips. The list
// never writes the file; it asks for one and says which one is being written.

#include "widgets/lineview.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

void LineView::setUpRecording()
{
    recordAction_ = new QAction(QStringLiteral("Mitschnitt in Datei …"), this);
    // Queued, as for saving: the dialog opens after the context menu's own event loop.
    connect(recordAction_, &QAction::triggered, this, &LineView::askRecordingFile, Qt::QueuedConnection);
    stopRecordingAction_ = new QAction(QStringLiteral("Mitschnitt beenden"), this);
    connect(stopRecordingAction_, &QAction::triggered, this, &LineView::recordingStopAsked, Qt::QueuedConnection);

    // Appended to, so an existing file is no question of replacing it.
    askRecordFile_ = [](QWidget *parent, const QString &caption, const QString &suggestedPath,
                        const QString &filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
}

void LineView::setRecordingFile(const QString &path, const FileIdentity &identity)
{
    recordingIdentity_ = path.isEmpty() ? FileIdentity{} : identity;
    if (path == recordingFile_)
        return;
    if (recordingFile_.isEmpty())
        toolTipWithoutRecording_ = toolTip();
    recordingFile_ = path;
    if (path.isEmpty()) {
        stopRecordingAction_->setText(QStringLiteral("Mitschnitt beenden"));
        setToolTip(toolTipWithoutRecording_);
        return;
    }
    stopRecordingAction_->setText(QStringLiteral("Mitschnitt beenden („%1“)").arg(QFileInfo(path).fileName()));
    setToolTip(toolTipWithoutRecording_.isEmpty() ? recordingNote()
                                                  : toolTipWithoutRecording_ + QLatin1Char('\n') + recordingNote());
}

QString LineView::recordingNote() const
{
    if (recordingFile_.isEmpty())
        return {};
    return QStringLiteral("Mitschnitt läuft in „%1“").arg(QDir::toNativeSeparators(recordingFile_));
}

void LineView::askRecordingFile()
{
    QString dir = lastSaveDir_;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (dir.isEmpty() || !QFileInfo(dir).isDir())
            dir = QDir::homePath();
    }
    const QString suggested = QDir(dir).filePath(
        QStringLiteral("rix-term-%1-mitschnitt.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    // The dialog runs its own event loop: the window may be closed meanwhile.
    QPointer<LineView> self(this);
    const QString path = askRecordFile_(this, QStringLiteral("Mitschnitt in Datei"), suggested,
                                        QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!self || path.isEmpty())
        return;
    lastSaveDir_ = QFileInfo(path).absolutePath();
    emit recordingFileChosen(path);
}

void LineView::setRecordFileAsker(SaveFileAsker asker)
{
    askRecordFile_ = std::move(asker);
}
