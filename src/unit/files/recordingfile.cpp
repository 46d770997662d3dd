// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/recordingfile.h"

#include "unit/files/completefile.h"
#include "unit/logging.h"
#include "unit/systemreason.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A turn's lines are usually a few hundred bytes; a flood's may be a megabyte. Beyond this the
// buffer is given back after its write, so a recording keeps no memory for long.
constexpr qsizetype keptCapacity = qsizetype(1) << 20;
} // namespace

RecordingFile::FlushToDisk RecordingFile::defaultFlush()
{
    return ::fdatasync;
}

RecordingFile::RecordingFile(const QString &path, FlushToDisk flush)
    : path_(path)
    , flush_(flush)
{
}

RecordingFile::~RecordingFile()
{
    if (fd_ >= 0)
        close();
    stopSyncThread();
}

bool RecordingFile::open()
{
    if (fd_ >= 0)
        return true;
    error_.clear();
    const SaveTarget target = examineSaveTarget(path_);
    if (!target.refusal.isEmpty()) {
        error_ = target.refusal;
        return false;
    }
    // Not blocking, so that a FIFO put there since the check cannot hold the window; it is
    // refused below, as is anything else that is no regular file.
    const int fd = ::open(target.file.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        // The name is free or a file (checked above), so ENOENT means its folder is missing.
        const int why = errno;
        fail(why);
        error_ = creationReason(why);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error_ = examineSaveTarget(path_).refusal;
        if (error_.isEmpty())
            error_ = QStringLiteral("Das Ziel wurde beim Öffnen verändert; es bleibt, wie es ist.");
        return false;
    }
    // The lock goes with this open file and ends with it, also when the program is killed.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        if (why == EWOULDBLOCK) {
            ::close(fd);
            error_ = QStringLiteral("In diese Datei schreibt schon ein anderer Mitschnitt (die Datei ist gesperrt). "
                                    "Er läuft unberührt weiter.");
            return false;
        }
        // A file system without locks (some network shares) is still recorded into.
        qCWarning(lcFile).noquote() << "recording into" << path_ << "without a lock:" << systemText(why);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    identity_ = FileIdentity{status.st_dev, status.st_ino};
    syncStop_ = false;
    syncError_ = 0;
    syncThread_ = std::thread([this, fd, flush = flush_] {
        std::unique_lock<std::mutex> lock(syncMutex_);
        for (;;) {
            syncWake_.wait(lock, [this] { return syncRequested_ || syncStop_; });
            if (syncStop_)
                return;
            syncRequested_ = false;
            syncing_ = true;
            lock.unlock();
            // EINVAL, as at close: a file system that has nothing to flush.
            const int error = flush(fd) == 0 || errno == EINVAL ? 0 : errno;
            lock.lock();
            syncing_ = false;
            if (error != 0 && syncError_ == 0) {
                syncError_ = error;
                if (onSyncFailure_) {
                    lock.unlock();
                    onSyncFailure_();
                    lock.lock();
                }
            }
        }
    });
    return true;
}

void RecordingFile::addRecord(qint64 msecsSinceEpoch, std::string_view commandLine,
                              std::optional<std::string_view> answer)
{
    recordformat::appendRecord(pending_, time_, msecsSinceEpoch, commandLine, answer);
    pendingLines_.push_back({pending_.size(), true});
}

void RecordingFile::addSent(qint64 msecsSinceEpoch, std::string_view bytes)
{
    recordformat::appendSent(pending_, time_, msecsSinceEpoch, bytes);
    pendingLines_.push_back({pending_.size(), true});
}

void RecordingFile::addReceived(qint64 msecsSinceEpoch, std::string_view bytes)
{
    recordformat::appendReceived(pending_, time_, msecsSinceEpoch, bytes);
    pendingLines_.push_back({pending_.size(), true});
}

void RecordingFile::addMarker(qint64 msecsSinceEpoch, const QString &text)
{
    recordformat::appendMarker(pending_, time_, msecsSinceEpoch, text);
    pendingLines_.push_back({pending_.size(), false});
}

bool RecordingFile::writePending()
{
    if (fd_ < 0)
        return false;
    if (const int error = syncError())
        return fail(error);
    const char *data = pending_.constData();
    const std::size_t size = std::size_t(pending_.size());
    std::size_t written = 0;
    int error = 0;
    while (written < size) {
        const ssize_t n = ::write(fd_, data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;   // no progress and no reason: never loop forever
            break;
        }
        written += std::size_t(n);
    }
    for (const PendingLine &line : pendingLines_)
        if (line.record && std::size_t(line.end) <= written)
            ++recordsWritten_;
    if (error != 0)
        cutPartialLine(written);
    if (pending_.capacity() > keptCapacity)
        pending_ = QByteArray();
    else
        pending_.resize(0);
    pendingLines_.clear();
    return error == 0 || fail(error);
}

void RecordingFile::cutPartialLine(std::size_t written)
{
    std::size_t whole = 0;
    for (const PendingLine &line : pendingLines_)
        if (std::size_t(line.end) <= written)
            whole = std::size_t(line.end);
    if (written == whole)
        return;
    // Best effort: the file ends after its last whole line, as if the write had stopped there.
    const off_t end = ::lseek(fd_, 0, SEEK_END);
    if (end >= off_t(written - whole) && ::ftruncate(fd_, end - off_t(written - whole)) != 0) {
        // the half line stays; the next reader sees it cut
    }
}

void RecordingFile::requestSync()
{
    if (fd_ < 0)
        return;
    {
        const std::lock_guard<std::mutex> lock(syncMutex_);
        syncRequested_ = true;
    }
    syncWake_.notify_one();
}

int RecordingFile::syncError()
{
    const std::lock_guard<std::mutex> lock(syncMutex_);
    return syncError_;
}

void RecordingFile::stopSyncThread()
{
    if (!syncThread_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(syncMutex_);
        syncStop_ = true;
    }
    syncWake_.notify_one();
    syncThread_.join();
}

bool RecordingFile::close()
{
    if (fd_ < 0)
        return error_.isEmpty();
    if (hasPending() && !writePending())
        return false;
    stopSyncThread();
    if (const int error = syncError())
        return fail(error);
    // EINVAL: a file system that has nothing to flush.
    if (flush_(fd_) != 0 && errno != EINVAL)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        error_ = systemReason(errno);
        return false;
    }
    return true;
}

bool RecordingFile::fail(int errnoValue)
{
    qCWarning(lcFile).noquote() << "recording into" << path_ << "failed:" << systemText(errnoValue);
    error_ = systemReason(errnoValue);
    stopSyncThread();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    pending_ = QByteArray();
    pendingLines_.clear();
    return false;
}
