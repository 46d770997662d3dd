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
// Besides the shown records it holds what was on the line (see recordformat.h): every write to
// the port as it goes out (written at once, before the bytes reach the port, and followed by
// a marker if the write fails), and the bytes taken from the port, as one "<" line per burst
// (per piece of a text without a pause) just before the records shown from it, or before the
// next write or marker; no more than receivedLineBytes are ever kept for it. A write after which nothing
// was received before the next write or the port's closing gets a marker saying so.
//
// A failure stops the recording; it is reported from an event of its own (onFailure), never
// from inside the handler that hit it.

#include "unit/files/recordingfile.h"

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
    static constexpr int syncIntervalMs = 2000;
    // Bytes taken from the port are written as a line of their own once this many wait and
    // no burst was shown from them (a text without a pause that the lists show in pieces of
    // 64 KiB gets a line per piece before this, unless it is nearly all CR and LF).
    static constexpr int receivedLineBytes = 2 * 65536;

    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Recording();
    // A running recording ends with its last marker.
    ~Recording();
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;

    bool isRunning() const { return file_ != nullptr; }
    // The file being recorded into; empty when none is.
    QString path() const;
    // That file, whatever name reaches it; meaningful while it runs.
    FileIdentity identity() const;

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

    // The line itself, from the one channel every write and read goes through: bytes about to
    // be written to the port; the write failed (`reason` says how); bytes taken from the port;
    // the port closed.
    void lineWriting(const QByteArray &bytes);
    void lineWriteFailed(const QString &reason);
    void lineRead(const QByteArray &bytes);
    void lineClosed();

    // For tests: the clock the flushing interval is measured with, and how the next recording
    // started brings its file to the disk.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setFlushToDisk(RecordingFile::FlushToDisk flush) { flush_ = flush; }

    // Why the recording stopped by itself, once: the file, the reason, the records in it. A
    // failed flush to the disk is found here too.
    struct Failure {
        QString path;
        QString reason;
        qint64 recordsWritten = 0;
    };
    std::optional<Failure> takeFailure();

private:
    // The bytes taken since the last "<" line become one.
    void addReceived();
    // The last write got nothing back before `until`: a marker says so.
    void noteUnanswered(const QString &until);
    void writeNow();
    void postFailure();
    void syncSoon();
    // Stops the recording and keeps why; `report`: post the event that reports it.
    void failed(bool report = true);

    std::unique_ptr<RecordingFile> file_;
    std::optional<Failure> failure_;
    std::function<void()> failureDue_;
    QTimer syncTimer_;
    std::chrono::steady_clock::time_point lastSync_{};
    Clock clock_ = [] { return std::chrono::steady_clock::now(); };
    RecordingFile::FlushToDisk flush_ = nullptr;
    // Taken from the port and not yet in a line, and when the first of them was taken.
    QByteArray received_;
    qint64 receivedAt_ = 0;
    // The last write, while nothing has been received after it.
    struct Unanswered {
        QByteArray bytes;
        qint64 sentAt = 0;
    };
    std::optional<Unanswered> unanswered_;
    // Receives the posted failure events; one still queued when it goes is dropped with it.
    QObject events_;
};
