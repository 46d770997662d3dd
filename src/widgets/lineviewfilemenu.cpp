// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewfilemenu.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

LineViewFileMenu::LineViewFileMenu(QWidget &view, SaveFunction save)
    : QObject(&view)
    , view_(view)
    , save_(std::move(save))
{
    saveAction_ = new QAction(QStringLiteral("Speichern unter …"), &view);
    // Queued: the file dialog then opens after the context menu's own event loop has ended,
    // not inside it.
    connect(saveAction_, &QAction::triggered, this, &LineViewFileMenu::saveAs, Qt::QueuedConnection);
    askSaveFile_ = [](QWidget *parent, const QString &caption, const QString &suggestedPath,
                      const QString &filter) {
        // The dialog's own question would come before the target is looked at, so a FIFO or a
        // device would first be offered for replacing and then refused; saveAs() asks itself.
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    warn_ = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox::warning(parent, title, text);
    };
    askReplace_ = [](QWidget *parent, const QString &title, const QString &question) {
        return QMessageBox::warning(parent, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               == QMessageBox::Yes;
    };

    recordAction_ = new QAction(QStringLiteral("Mitschnitt in Datei …"), &view);
    // Queued, as for saving: the dialog opens after the context menu's own event loop.
    connect(recordAction_, &QAction::triggered, this, &LineViewFileMenu::askRecordingFile, Qt::QueuedConnection);
    stopRecordingAction_ = new QAction(QStringLiteral("Mitschnitt beenden"), &view);
    stopRecordingAction_->setVisible(false);
    connect(stopRecordingAction_, &QAction::triggered, this, &LineViewFileMenu::recordingStopAsked,
            Qt::QueuedConnection);
    openRecordingAction_ = new QAction(QStringLiteral("Mitschnitt öffnen …"), &view);
    connect(openRecordingAction_, &QAction::triggered, this, &LineViewFileMenu::askRecordingToOpen, Qt::QueuedConnection);
    askOpenFile_ = [](QWidget *parent, const QString &caption, const QString &folder, const QString &filter) {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    };
    // Appended to, so an existing file is no question of replacing it.
    askRecordFile_ = [](QWidget *parent, const QString &caption, const QString &suggestedPath,
                        const QString &filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
}

QString LineViewFileMenu::startFolder() const
{
    QString dir = lastSaveDir_;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (dir.isEmpty() || !QFileInfo(dir).isDir())
            dir = QDir::homePath();
    }
    return dir;
}

void LineViewFileMenu::saveAs()
{
    const QString caption = QStringLiteral("Speichern unter");
    const QString suggested = QDir(startFolder()).filePath(suggestedFileName(QDateTime::currentDateTime()));
    // The dialog runs its own event loop: the window may be closed meanwhile.
    QPointer<LineViewFileMenu> self(this);
    const QString path = askSaveFile_(&view_, caption, suggested,
                                      QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!self || path.isEmpty())
        return;
    const auto notSaved = [&](const QString &reason) {
        warn_(&view_, caption,
              QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: %2")
                  .arg(QDir::toNativeSeparators(path), reason));
    };
    const SaveTarget target = examineSaveTarget(path);
    if (!target.refusal.isEmpty()) {
        notSaved(target.refusal);
        return;
    }
    // Replacing it would leave the recording writing into a file that has no name any more.
    if (target.exists && !recordingFile_.isEmpty() && target.identity == recordingIdentity_) {
        notSaved(recordingFileRefusal(recordingFile_));
        return;
    }
    if (target.exists) {
        const QString question = QStringLiteral("Die Datei „%1“ existiert bereits.\nSoll sie überschrieben werden?")
                                     .arg(QFileInfo(path).fileName());
        if (!askReplace_(&view_, caption, question) || !self)
            return;
    }
    QString reason;
    if (save_(path, &reason)) {
        lastSaveDir_ = QFileInfo(path).absolutePath();
        return;
    }
    notSaved(reason);
}

QString LineViewFileMenu::suggestedFileName(const QDateTime &now) const
{
    QString name = QStringLiteral("rix-term-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!saveNameSuffix_.isEmpty())
        name += QLatin1Char('-') + saveNameSuffix_;
    return name + QStringLiteral(".txt");
}

void LineViewFileMenu::setSaveFileAsker(SaveFileAsker asker)
{
    askSaveFile_ = std::move(asker);
}

void LineViewFileMenu::setWarningBox(WarningBox box)
{
    warn_ = std::move(box);
}

void LineViewFileMenu::setReplaceAsker(ReplaceAsker asker)
{
    askReplace_ = std::move(asker);
}

void LineViewFileMenu::setRecordingFile(const QString &path, const FileIdentity &identity)
{
    recordingIdentity_ = path.isEmpty() ? FileIdentity{} : identity;
    if (path == recordingFile_)
        return;
    if (recordingFile_.isEmpty())
        toolTipWithoutRecording_ = view_.toolTip();
    recordingFile_ = path;
    recordAction_->setVisible(path.isEmpty());
    stopRecordingAction_->setVisible(!path.isEmpty());
    if (path.isEmpty()) {
        stopRecordingAction_->setText(QStringLiteral("Mitschnitt beenden"));
        view_.setToolTip(toolTipWithoutRecording_);
    } else {
        stopRecordingAction_->setText(QStringLiteral("Mitschnitt beenden („%1“)").arg(QFileInfo(path).fileName()));
        view_.setToolTip(toolTipWithoutRecording_.isEmpty() ? recordingNote()
                                                            : toolTipWithoutRecording_ + QLatin1Char('\n') + recordingNote());
    }
    emit recordingFileChanged(path);
}

QString LineViewFileMenu::recordingNote() const
{
    if (recordingFile_.isEmpty())
        return {};
    return QStringLiteral("Mitschnitt läuft in „%1“").arg(QDir::toNativeSeparators(recordingFile_));
}

void LineViewFileMenu::askRecordingFile()
{
    const QString suggested = QDir(startFolder()).filePath(
        QStringLiteral("rix-term-%1-mitschnitt.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    // The dialog runs its own event loop: the window may be closed meanwhile.
    QPointer<LineViewFileMenu> self(this);
    const QString path = askRecordFile_(&view_, QStringLiteral("Mitschnitt in Datei"), suggested,
                                        QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!self || path.isEmpty())
        return;
    lastSaveDir_ = QFileInfo(path).absolutePath();
    emit recordingFileChosen(path);
}

void LineViewFileMenu::setRecordFileAsker(SaveFileAsker asker)
{
    askRecordFile_ = std::move(asker);
}

void LineViewFileMenu::askRecordingToOpen()
{
    // The dialog runs its own event loop: the window may be closed meanwhile.
    QPointer<LineViewFileMenu> self(this);
    const QString path = askOpenFile_(&view_, QStringLiteral("Mitschnitt öffnen"), startFolder(),
                                      QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!self || path.isEmpty())
        return;
    lastSaveDir_ = QFileInfo(path).absolutePath();
    emit recordingOpenAsked(path);
}
