// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file that is written completely or not at all. The bytes go to a new file beside the
// target, every write is checked to its last byte, the file is flushed to the disk, and only
// then does it take the target's name. Any failure leaves the old file as it was and gives the
// reason in German. Only a regular file (or a link to one) or a new name is written; a device,
// FIFO, socket or folder is refused before anything is touched, so that a save can never
// replace one with a regular file. The window's lists and rix-param both save through it.

#include <QByteArray>
#include <QString>

#include <cstddef>

#include <sys/types.h>

// Which file a name leads to, whatever name, link or hard link it is reached by.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};

// What a save to a path would do, found before anything is written (and before anyone is
// asked whether to replace a file that is there).
struct SaveTarget {
    QString refusal;     // why nothing may be saved there, in German; empty when it may
    QByteArray file;     // what gets the new content: the path, or the file a link points to
    bool exists = false; // a file is there already and would be replaced
    FileIdentity identity; // the file that is there (after following a link), when it exists
};
SaveTarget examineSaveTarget(const QString &path);
// Why a save (or a new recording) may not go to the file a running recording writes into,
// `recordingPath` naming that recording's file.
QString recordingFileRefusal(const QString &recordingPath);

// A file that is written completely or not at all.
class CompleteFile {
public:
    // How a file reaches the disk: fsync(2), replaceable where a test needs a disk that fails.
    using FlushToDisk = int (*)(int fd);

    explicit CompleteFile(const QString &path, FlushToDisk flush = defaultFlush());
    // A file that was not committed is removed again; the target stays as it was.
    ~CompleteFile();
    CompleteFile(const CompleteFile &) = delete;
    CompleteFile &operator=(const CompleteFile &) = delete;

    // Checks the target and creates the new file beside it. False (with errorText()) when the
    // target is refused or the file cannot be made.
    bool open();
    // Writes all `size` bytes, retrying short writes.
    bool write(const char *data, std::size_t size);
    // Flushes the file to the disk and gives it the target's name.
    bool commit();
    // Why the last call failed, in German.
    QString errorText() const { return error_; }
    // The new file's own name while it is there, empty before open() and after commit().
    QByteArray temporaryName() const { return temp_; }

private:
    static FlushToDisk defaultFlush();
    // The German reason for the user; the system's own text for `errnoValue` goes to the log.
    bool fail(int errnoValue, const char *doing);
    bool refuse(const QString &reason, const char *doing, int errnoValue);
    bool refuse(const QString &reason);
    void discard();

    QString path_;
    FlushToDisk flush_;
    QByteArray target_;
    QByteArray temp_;
    int fd_ = -1;
    QString error_;
};
