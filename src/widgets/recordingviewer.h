// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Mitschnitt öffnen …“: a recording in a window of its own, read-only, as the window showed
// it: the two lists, each line with its time, and the markers (a connect, a lost line,
// „Keine Antwort …“, a cut text, „Listen geleert“) between their lines, painted apart from the
// unit's. The find bar, the line inspector (with the burst a line was shown from) and
// „Speichern unter …“ work on it as on the window's lists; nothing in it starts a recording,
// clears the lists or talks to a unit.
//
// The file is read in slices on the event loop (RecordingReader), a few milliseconds each, so
// the window, the program's main window and its line stay answering however large the file;
// a bar shows how far it has got. Lines that are none of a recording's are skipped; a box and
// the window's status line name the first of them, and what could be read is shown.
//
// It knows no handler and no port. Its controls are found by their object names.

#include "unit/files/recordingreader.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FindBar;
class LineView;
class QLabel;
class QProgressBar;

class RecordingViewer : public QWidget {
    Q_OBJECT
public:
    // Work per slice of the event loop: the window answers between slices. The first is short,
    // as the window's own first paint falls into the same turn; it brings the first lines.
    static constexpr int sliceMs = 6;
    static constexpr int firstSliceMs = 1;

    explicit RecordingViewer(const QString &path, QWidget *parent = nullptr);
    ~RecordingViewer() override;

    // Opens the file; reading begins on the event loop. False, with the German reason in
    // errorText(), when it cannot be read.
    bool open();
    QString errorText() const { return error_; }
    QString path() const { return path_; }
    // The whole file has been read.
    bool isRead() const { return read_; }

    // Tells of skipped lines (default: a box over this window that does not hold the program's
    // main window). Replaceable, so that tests never open a box.
    using WarningBox = std::function<void(QWidget *parent, const QString &title, const QString &text)>;
    void setWarningBox(WarningBox box) { warn_ = std::move(box); }

    // What the box and the status line say when lines were skipped: `read` lines were read,
    // `skipped` not, the first of them line `first`.
    static QString skippedLinesText(const QString &path, qint64 read, qint64 skipped, qint64 first);

signals:
    // The whole file has been read.
    void readingDone();

private:
    class Filler;
    void readSlice();
    void finishReading();
    void inspect(LineView *list, int index);
    // The burst a list's line was shown from: read on from the place noted before it.
    std::optional<RecordingReader::Burst> burstOf(LineView *list, int index) const;

    QString path_;
    QString error_;
    std::unique_ptr<RecordingReader> reader_;
    std::unique_ptr<Filler> filler_;
    bool read_ = false;
    // Lines are still being read from the file.
    bool readingFile_ = false;
    // The lists' room was made after the first slice, and the parts given back so far once
    // the file is read.
    bool reserved_ = false;
    int squeezed_ = 0;
    QTimer slice_;
    WarningBox warn_;

    LineView *commands_;
    LineView *answers_;
    FindBar *findBar_;
    QProgressBar *progress_;
    QLabel *status_;
    // Where every placeEvery-th line of each list is in the file: the few bytes it takes to
    // find any line's burst again, instead of a place per line.
    static constexpr int placeEvery = 256;
    std::vector<RecordingReader::Place> commandPlaces_;
    std::vector<RecordingReader::Place> answerPlaces_;
};
