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

// A file that is written completely or not at all.
class CompleteFile {
public:
    explicit CompleteFile(const QString &path);
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

private:
    bool fail(int errnoValue);
    bool refuse(const QString &reason);
    void discard();
    // Empty when `target_` may be written; the reason otherwise.
    QString checkTarget();

    QString path_;
    QByteArray target_;
    QByteArray temp_;
    int fd_ = -1;
    QString error_;
};

// Empty when `name` may be written: a regular file, a link to one, or a new name; `target`
// then gets the path to write (a link's file). The German reason otherwise.
QString refusedTarget(const QString &name, QByteArray &target);

// The German reason for the system's error number `errnoValue`, followed by the system's own
// text where it has one.
QString fileErrorReason(int errnoValue);
