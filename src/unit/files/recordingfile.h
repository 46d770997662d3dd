// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file a recording ("Mitschnitt") appends to, as the session goes on (see recordformat.h
// for its lines). Lines are gathered between writes and handed to the system in one write,
// checked to its end; whoever adds them decides when (the window: at the end of the event
// loop's turn that showed them). Flushing to the disk (fdatasync) runs on a thread of its own,
// so a slow medium never holds the caller; its failure shows at the next write.
//
// Only a regular file (or a link to one) or a new name is recorded into, checked as a save
// checks its target; an existing file is appended to. While it is open the file holds an
// exclusive lock (flock), so a second program cannot record into it too. A failed write leaves
// no half line at the file's end where the system lets it be cut off again.

#include "unit/files/completefile.h"
#include "unit/files/recordformat.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

class RecordingFile {
public:
    // How the file reaches the disk: fdatasync(2), replaceable where a test counts or fails it.
    using FlushToDisk = int (*)(int fd);

    explicit RecordingFile(const QString &path, FlushToDisk flush = defaultFlush());
    // Closes a file that is still open (see close()).
    ~RecordingFile();
    RecordingFile(const RecordingFile &) = delete;
    RecordingFile &operator=(const RecordingFile &) = delete;

    // Checks the target, opens it for appending and locks it. False, with errorText(), when
    // it is refused, cannot be opened or is locked by another recording.
    bool open();
    bool isOpen() const { return fd_ >= 0; }
    QString path() const { return path_; }
    // The open file, whatever name reaches it.
    FileIdentity identity() const { return identity_; }

    // Adds a line to what the next write hands over.
    void addRecord(qint64 msecsSinceEpoch, std::string_view commandLine, std::optional<std::string_view> answer);
    void addSent(qint64 msecsSinceEpoch, std::string_view bytes);
    void addReceived(qint64 msecsSinceEpoch, std::string_view bytes);
    void addMarker(qint64 msecsSinceEpoch, const QString &text);
    bool hasPending() const { return !pending_.isEmpty(); }

    // Hands everything added to the system in one write(2), retried to its last byte. False,
    // with errorText(), when it failed or an earlier flush to the disk had failed; the file
    // is closed then and takes nothing more.
    bool writePending();
    // Asks the flushing thread to bring what was written to the disk. `onFailure`, if set,
    // is called on that thread when a flush fails (to wake the writer); set it before open().
    void requestSync();
    void onSyncFailure(std::function<void()> onFailure) { onSyncFailure_ = std::move(onFailure); }

    // Writes what is pending, waits for the flushing thread, flushes to the disk once more
    // and closes. False, with errorText(), when any of it failed.
    bool close();

    // Entries (records and the line's bytes, not markers) that are in the file whole.
    qint64 recordsWritten() const { return recordsWritten_; }
    // Why the last call failed, in German.
    QString errorText() const { return error_; }

private:
    static FlushToDisk defaultFlush();
    struct PendingLine {
        qsizetype end;   // offset in pending_ just after the line's "\n"
        bool record;
    };
    bool fail(int errnoValue);
    void cutPartialLine(std::size_t written);
    void stopSyncThread();
    void syncLoop();
    int syncError();

    QString path_;
    FlushToDisk flush_;
    int fd_ = -1;
    FileIdentity identity_;
    QByteArray pending_;
    std::vector<PendingLine> pendingLines_;
    recordformat::TimeStamp time_;
    qint64 recordsWritten_ = 0;
    QString error_;

    // The flushing thread and what it shares with the writer.
    std::thread syncThread_;
    std::mutex syncMutex_;
    std::condition_variable syncWake_;
    bool syncRequested_ = false;
    bool syncing_ = false;
    bool syncStop_ = false;
    int syncError_ = 0;
    std::function<void()> onSyncFailure_;
};
