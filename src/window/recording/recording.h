#pragma once
// The window program's recording ("Mitschnitt"): at most one, of both lists, into one file.
//
// Nothing shown is lost: the records of an event-loop turn are gathered and handed to the
// system at the turn's end, in one write. The first record of a turn posts the event that
// writes them; Qt delivers it before the repaint that puts the lines on the screen (a repaint
// is a posted event of low priority), so a line that was on the screen is in the file even if
// the program is killed the next moment. Markers are written at once. The file is flushed to
// the disk at every marker and, while lines come, at least every two seconds, on a thread of
// its own, so a slow medium never holds the window.
//
// A failure stops the recording and is kept until the program reports it (takeFailure()).

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

    // What runs at the end of a turn that added records (the event table sends it through
    // the dispatch); it calls endTurn().
    void onTurnEnd(std::function<void()> handler) { turnEnd_ = std::move(handler); }
    // Fires when the file is due to be flushed to the disk; its handler calls syncDue().
    const QTimer &syncTimer() const { return syncTimer_; }

    // Opens the file and writes `firstMarker`. False, with the reason, when it cannot.
    bool start(const QString &path, const QString &firstMarker, QString *reason);
    // Writes `lastMarker` and closes the file; a failure on the way is kept as any other.
    void stop(const QString &lastMarker);

    // A shown burst; written at the end of this turn.
    void addRecord(qint64 msecsSinceEpoch, std::string_view commandLine, std::optional<std::string_view> answer);
    // Something that happened to the connection; written and flushed to the disk now.
    void addMarker(const QString &text);

    // Hands the turn's records to the system.
    void endTurn();
    void syncDue();

    // Why the recording stopped by itself, once: the file, the reason, the records in it.
    struct Failure {
        QString path;
        QString reason;
        qint64 recordsWritten = 0;
    };
    std::optional<Failure> takeFailure();

private:
    void postTurnEnd();
    void syncSoon();
    void failed();

    std::unique_ptr<RecordingFile> file_;
    std::optional<Failure> failure_;
    std::function<void()> turnEnd_;
    bool turnEndPosted_ = false;
    QTimer syncTimer_;
    std::chrono::steady_clock::time_point lastSync_{};
    // Receives the posted end of a turn; an event still queued when it goes is dropped with it.
    QObject turnEnds_;
};
