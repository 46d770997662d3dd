// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A list's file entries: "Speichern unter …" with its dialog, its refusals and its question
// before replacing, and the recording's entries ("Mitschnitt in Datei …", "Mitschnitt
// beenden", "Mitschnitt öffnen …"). The list only shows its lines; this asks for files and says
// which one a running recording writes. It never writes or opens a recording itself: whoever
// wires the list records and opens.

#include "unit/files/completefile.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QDateTime;
class QWidget;

class LineViewFileMenu : public QObject {
    Q_OBJECT
public:
    // Asks for the file to save to; an empty result means the user cancelled.
    using SaveFileAsker = std::function<QString(QWidget *parent, const QString &caption,
                                                const QString &suggestedPath, const QString &filter)>;
    // Tells the user something went wrong (default: QMessageBox::warning).
    using WarningBox = std::function<void(QWidget *parent, const QString &title, const QString &text)>;
    // Asks whether a file that is there may be replaced; true for yes (default: a warning box
    // with "Ja" and "Nein", "Nein" preselected).
    using ReplaceAsker = std::function<bool(QWidget *parent, const QString &title, const QString &question)>;

    // Writes the list to `path`; false with a reason in `errorText` when it could not.
    using SaveFunction = std::function<bool(const QString &path, QString *errorText)>;

    // The entries belong to `view` (their parent), and so does this; `save` writes the list.
    LineViewFileMenu(QWidget &view, SaveFunction save);

    // "Speichern unter …": asks for a file, refuses a target that is no regular file or is the
    // running recording's file, asks before replacing a file, saves, and shows a failure in a
    // warning box.
    QAction *saveAction() const { return saveAction_; }
    void saveAs();
    // "rix-term-YYYYMMDD-HHMMSS-<suffix>.txt" for the given local time.
    QString suggestedFileName(const QDateTime &now) const;
    // The end of that name ("antworten", "befehle"): only the window knows which list is which.
    QString saveNameSuffix() const { return saveNameSuffix_; }
    void setSaveNameSuffix(const QString &suffix) { saveNameSuffix_ = suffix; }
    // The file dialog and the boxes, replaceable so that tests never open a modal window.
    void setSaveFileAsker(SaveFileAsker asker);
    void setWarningBox(WarningBox box);
    void setReplaceAsker(ReplaceAsker asker);

    // The recording ("Mitschnitt"): "Mitschnitt in Datei …" asks for a file (an existing one is
    // appended to) and emits recordingFileChosen; while one runs (setRecordingFile),
    // "Mitschnitt beenden („name“)" takes its place (the other is hidden) and emits
    // recordingStopAsked, and the list's tool tips name the file.
    QAction *recordAction() const { return recordAction_; }
    QAction *stopRecordingAction() const { return stopRecordingAction_; }
    // The file being recorded into (and that file's identity, so that no save replaces it
    // under any name); empty when no recording runs.
    void setRecordingFile(const QString &path, const FileIdentity &identity = {});
    QString recordingFile() const { return recordingFile_; }
    // What the tool tips add while a recording runs; empty when none does.
    QString recordingNote() const;
    // "Mitschnitt in Datei …": asks for the file and emits recordingFileChosen with it.
    void askRecordingFile();
    // The file dialog for it, replaceable as the save's is.
    void setRecordFileAsker(SaveFileAsker asker);

    // "Mitschnitt öffnen …": asks for a recording to look at and emits recordingOpenAsked with
    // it; whoever wires the list opens it in a window of its own.
    QAction *openRecordingAction() const { return openRecordingAction_; }
    void askRecordingToOpen();
    // Asks for a file to read; an empty result means the user cancelled (default:
    // QFileDialog::getOpenFileName).
    using OpenFileAsker = std::function<QString(QWidget *parent, const QString &caption, const QString &folder,
                                                const QString &filter)>;
    void setOpenFileAsker(OpenFileAsker asker) { askOpenFile_ = std::move(asker); }

signals:
    void recordingFileChosen(const QString &path);
    void recordingOpenAsked(const QString &path);
    // After setRecordingFile() changed the file (empty: the recording ended).
    void recordingFileChanged(const QString &path);
    void recordingStopAsked();

private:
    // Where a dialog starts: the folder of the last save, else the documents or home folder.
    QString startFolder() const;

    QWidget &view_;
    SaveFunction save_;
    QAction *saveAction_ = nullptr;
    QAction *recordAction_ = nullptr;
    QAction *stopRecordingAction_ = nullptr;
    QAction *openRecordingAction_ = nullptr;
    OpenFileAsker askOpenFile_;

    QString saveNameSuffix_;
    QString lastSaveDir_;
    SaveFileAsker askSaveFile_;
    WarningBox warn_;
    ReplaceAsker askReplace_;

    QString recordingFile_;
    FileIdentity recordingIdentity_;
    QString toolTipWithoutRecording_;
    SaveFileAsker askRecordFile_;
};
