// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/completefile.h"

#include "unit/logging.h"
#include "unit/systemreason.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The new file is made this many times under a fresh random name before giving up.
constexpr int tempNameAttempts = 16;

// What the target is, as "Das Ziel ist …" and "… eine Verknüpfung auf …" say it.
struct Kind {
    QString nominative;
    QString accusative;
};

Kind kindOf(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {QStringLiteral("ein Gerät"), QStringLiteral("ein Gerät")};
    if (S_ISFIFO(mode))
        return {QStringLiteral("eine Pipe (FIFO)"), QStringLiteral("eine Pipe (FIFO)")};
    if (S_ISSOCK(mode))
        return {QStringLiteral("ein Socket"), QStringLiteral("einen Socket")};
    if (S_ISDIR(mode))
        return {QStringLiteral("ein Ordner"), QStringLiteral("einen Ordner")};
    return {QStringLiteral("etwas anderes"), QStringLiteral("etwas anderes")};
}

QString kindRefused(mode_t mode, bool throughLink)
{
    const Kind kind = kindOf(mode);
    return (throughLink ? QStringLiteral("Das Ziel ist eine Verknüpfung auf %1, keine gewöhnliche Datei. ").arg(kind.accusative)
                        : QStringLiteral("Das Ziel ist %1, keine gewöhnliche Datei. ").arg(kind.nominative))
           + QStringLiteral("Gespeichert wird nur in eine gewöhnliche Datei oder unter einem neuen Namen; "
                            "das Ziel bleibt unverändert.");
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray tempNameIn(const QByteArray &folder)
{
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + QByteArrayLiteral("/.rix-term-");
    for (int i = 0; i < 8; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name + QByteArrayLiteral(".tmp");
}

// Whether another open file holds a lock on it, as a recording of another program does: the
// save would replace the file under it. A file that cannot be opened for reading is left to
// the save itself.
bool lockedByAnother(const QByteArray &file)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return locked;
}

} // namespace

SaveTarget examineSaveTarget(const QString &path)
{
    SaveTarget target;
    const auto refusedBy = [&](int errnoValue) {
        qCWarning(lcFile).noquote() << "cannot save to" << path << "-" << systemText(errnoValue);
        target.refusal = systemReason(errnoValue);
        return target;
    };
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty()) {
        target.refusal = QStringLiteral("Kein Dateiname angegeben.");
        return target;
    }
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0) {
        if (errno != ENOENT)
            return refusedBy(errno);
        target.file = name; // a new name
        return target;
    }
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::stat(name.constData(), &status) != 0) {
        if (errno != ENOENT)
            return refusedBy(errno);
        target.refusal = QStringLiteral("Das Ziel ist eine Verknüpfung auf etwas, das es nicht gibt; das Ziel "
                                        "bleibt unverändert.");
        return target;
    }
    if (!S_ISREG(status.st_mode)) {
        target.refusal = kindRefused(status.st_mode, link);
        return target;
    }
    target.file = name;
    target.identity = FileIdentity{status.st_dev, status.st_ino};
    if (link) {
        // The file the link points to gets the new content; the link stays a link.
        char resolved[PATH_MAX];
        if (!::realpath(name.constData(), resolved))
            return refusedBy(errno);
        target.file = QByteArray(resolved);
    }
    target.exists = true;
    return target;
}

QString recordingFileRefusal(const QString &recordingPath)
{
    return QStringLiteral("Das Ziel ist die Datei des laufenden Mitschnitts („%1“). Sie bleibt unverändert, und der "
                          "Mitschnitt läuft weiter.")
        .arg(QDir::toNativeSeparators(recordingPath));
}

CompleteFile::FlushToDisk CompleteFile::defaultFlush()
{
    return ::fsync;
}

CompleteFile::CompleteFile(const QString &path, FlushToDisk flush)
    : path_(path)
    , flush_(flush)
{
}

CompleteFile::~CompleteFile()
{
    discard();
}

bool CompleteFile::open()
{
    discard();
    error_.clear();
    const SaveTarget target = examineSaveTarget(path_);
    if (!target.refusal.isEmpty())
        return refuse(target.refusal);
    target_ = target.file;
    if (target.exists && lockedByAnother(target_))
        return refuse(QStringLiteral("Die Datei ist von einem anderen Programm gesperrt (etwa von einem laufenden "
                                     "Mitschnitt); sie bleibt unverändert."));

    const QByteArray folder = folderOf(target_);
    for (int attempt = 0; attempt < tempNameAttempts && fd_ < 0; ++attempt) {
        temp_ = tempNameIn(folder);
        // 0666 and the user's umask, as for any new file; an existing file's mode is copied below.
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            const int why = errno;
            temp_.clear();
            // The target's name is free or a file, so what is missing is its folder.
            if (why == ENOENT)
                return refuse(creationReason(ENOENT), "create", ENOENT);
            return fail(why, "create");
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        return fail(EEXIST, "find a free name");
    }
    struct stat old {};
    if (::stat(target_.constData(), &old) == 0) {
        // Best effort: who may read the list stays as it was. Only root may give a file away.
        if (::fchmod(fd_, old.st_mode & 07777) != 0) {
            // the file keeps the mode of a new one
        }
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // the file belongs to the user who saves it
        }
    }
    return true;
}

bool CompleteFile::write(const char *data, std::size_t size)
{
    if (fd_ < 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno, "write");
        }
        if (written == 0)
            return fail(EIO, "write without progress"); // no reason given: never loop forever
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

bool CompleteFile::commit()
{
    if (fd_ < 0)
        return false;
    // Without the flush a crash soon after could leave the new name on an empty file.
    if (flush_(fd_) != 0)
        return fail(errno, "flush to the disk");
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno, "close");
    // The target may have changed kind while the lines were written.
    const SaveTarget now = examineSaveTarget(path_);
    if (!now.refusal.isEmpty())
        return refuse(now.refusal);
    if (now.file != target_)
        return refuse(QStringLiteral("Das Ziel wurde während des Speicherns verändert; es bleibt, wie es ist."));
    if (::rename(temp_.constData(), target_.constData()) != 0)
        return fail(errno, "rename");
    temp_.clear();
    // The new name itself reaches the disk with its folder. The file is complete already, so a
    // folder that cannot be flushed (some file systems refuse) is no failure of the save.
    const int folder = ::open(folderOf(target_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        flush_(folder);
        ::close(folder);
    }
    return true;
}

bool CompleteFile::fail(int errnoValue, const char *doing)
{
    return refuse(systemReason(errnoValue), doing, errnoValue);
}

bool CompleteFile::refuse(const QString &reason, const char *doing, int errnoValue)
{
    qCWarning(lcFile).noquote() << "saving to" << path_ << "failed at" << doing << "-" << systemText(errnoValue);
    return refuse(reason);
}

bool CompleteFile::refuse(const QString &reason)
{
    discard();
    error_ = reason;
    return false;
}

void CompleteFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.isEmpty()) {
        ::unlink(temp_.constData());
        temp_.clear();
    }
}
