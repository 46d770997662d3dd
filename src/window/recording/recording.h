// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window program's recording ("Mitschnitt"): at most one, of both lists, into one file.
//
// Nothing shown is lost: the records of a shown burst go to the system in one write before the
// handler that shows them returns, so before the repaint that puts its lines on the screen can
// run; a line that was on the screen is in the file even if the program is killed the next
// moment. (Waiting for the end of the event loop's turn is not enough: the port's bytes arrive
// through a posted event, and a repaint already queued in the same batch would come first.)
// Markers are written at once too. The file is flushed to the disk at every marker and, while
// lines come, at least every two seconds, on a thread of its own, so a slow medium never holds
// the window.
//
// A failure stops the recording; it is reported from an event of its own (onFailure), never
// from inside the handler that hit it.

#include "unit/recordingfile.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class Recording {
public:
    // While lines come, the file reaches the disk at least this often.
    static constexpr int kSyncIntervalMs = 2000;

    Recording();
    // A running recording ends with its last marker.
    ~Recording();
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;

    bool isRunning() const { return file_ != nullptr; }
    // The file being recorded into; empty when none is.
    QString path() const;

    // Runs, from an event of its own, after the recording failed (the event table sends it
    // through the dispatch); it calls takeFailure().
    void onFailure(std::function<void()> handler) { failureDue_ = std::move(handler); }
    // Fires when the file is due to be flushed to the disk; its handler calls syncDue().
    const QTimer &syncTimer() const { return syncTimer_; }

    // Opens the file and writes `firstMarker`. False, with the reason, when it cannot.
    bool start(const QString &path, const QString &firstMarker, QString *reason);
    // Writes `lastMarker` and closes the file; a failure on the way is kept as any other.
    void stop(const QString &lastMarker);

    // A shown burst; goes to the system with writeRecords().
    void addRecord(qint64 msecsSinceEpoch, std::string_view commandLine, std::optional<std::string_view> answer);
    // Hands the records added since the last write to the system, in one write.
    void writeRecords();
    // Something that happened to the connection; written and flushed to the disk now.
    void addMarker(const QString &text);
    void syncDue();

    // Why the recording stopped by itself, once: the file, the reason, the records in it. A
    // failed flush to the disk is found here too.
    struct Failure {
        QString path;
        QString reason;
        qint64 recordsWritten = 0;
    };
    std::optional<Failure> takeFailure();

private:
    void postFailure();
    void syncSoon();
    // Stops the recording and keeps why; `report`: post the event that reports it.
    void failed(bool report = true);

    std::unique_ptr<RecordingFile> file_;
    std::optional<Failure> failure_;
    std::function<void()> failureDue_;
    QTimer syncTimer_;
    std::chrono::steady_clock::time_point lastSync_{};
    // Receives the posted failure events; one still queued when it goes is dropped with it.
    QObject events_;
};
