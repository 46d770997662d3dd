#include "unit/completefile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The new file is made this many times under a fresh random name before giving up.
constexpr int kTempNameAttempts = 16;

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
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = folder + QByteArrayLiteral("/.rix-term-");
    for (int i = 0; i < 8; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name + QByteArrayLiteral(".tmp");
}

QString germanReason(int errnoValue)
{
    switch (errnoValue) {
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("Der Speicherplatz, der Ihnen auf dem Datenträger zusteht (Quota), ist aufgebraucht.");
#endif
    case EACCES:
    case EPERM: return QStringLiteral("Keine Berechtigung, hier zu schreiben.");
    case EROFS: return QStringLiteral("Das Dateisystem ist nur lesbar.");
    case EFBIG: return QStringLiteral("Die Datei wird zu groß.");
    case EIO: return QStringLiteral("Beim Schreiben auf den Datenträger ist ein Ein-/Ausgabefehler aufgetreten.");
    case ENAMETOOLONG: return QStringLiteral("Der Name der Datei ist zu lang.");
    case ENOENT: return QStringLiteral("Den Ordner gibt es nicht.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR: return QStringLiteral("Das Ziel ist ein Ordner.");
    case ELOOP: return QStringLiteral("Der Pfad enthält zu viele Verknüpfungen.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Es sind zu viele Dateien geöffnet.");
    case ENOMEM: return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("Die Datei ist gerade belegt.");
    case EINTR: return QStringLiteral("Das Schreiben wurde unterbrochen.");
    case EXDEV: return QStringLiteral("Die Datei liegt auf einem anderen Datenträger als ihr Ordner.");
    default: return QStringLiteral("Das System meldet den Fehler Nr. %1.").arg(errnoValue);
    }
}

} // namespace

QString fileErrorReason(int errnoValue)
{
    QString reason = germanReason(errnoValue);
    const QString system = QString::fromLocal8Bit(std::strerror(errnoValue));
    // glibc's text for a number it does not know says nothing the number does not.
    if (!system.isEmpty() && !system.startsWith(QLatin1String("Unknown error")))
        reason += QStringLiteral(" (Meldung des Systems: %1)").arg(system);
    return reason;
}

CompleteFile::CompleteFile(const QString &path)
    : path_(path)
{
}

CompleteFile::~CompleteFile()
{
    discard();
}

QString CompleteFile::checkTarget()
{
    return refusedTarget(path_, target_);
}

QString refusedTarget(const QString &name, QByteArray &target)
{
    const QByteArray path = QFile::encodeName(name);
    if (path.isEmpty())
        return germanReason(ENOENT);
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) {
        if (errno != ENOENT)
            return fileErrorReason(errno);
        target = path; // a new name
        return {};
    }
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::stat(path.constData(), &status) != 0) {
        if (errno == ENOENT)
            return QStringLiteral("Das Ziel ist eine Verknüpfung auf etwas, das es nicht gibt; das Ziel bleibt unverändert.");
        return fileErrorReason(errno);
    }
    if (!S_ISREG(status.st_mode))
        return kindRefused(status.st_mode, link);
    if (link) {
        // The file the link points to gets the new content; the link stays a link.
        char resolved[PATH_MAX];
        if (!::realpath(path.constData(), resolved))
            return fileErrorReason(errno);
        target = QByteArray(resolved);
    } else {
        target = path;
    }
    return {};
}

bool CompleteFile::open()
{
    discard();
    error_.clear();
    const QString refused = checkTarget();
    if (!refused.isEmpty())
        return refuse(refused);

    const QByteArray folder = folderOf(target_);
    for (int attempt = 0; attempt < kTempNameAttempts && fd_ < 0; ++attempt) {
        temp_ = tempNameIn(folder);
        // 0666 and the user's umask, as for any new file; an existing file's mode is copied below.
        fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            temp_.clear();
            return fail(errno);
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        return fail(EEXIST);
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
            return fail(errno);
        }
        if (written == 0)
            return fail(EIO); // no progress and no reason: never loop forever
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

bool CompleteFile::commit()
{
    if (fd_ < 0)
        return false;
    if (::fsync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    // The target may have changed kind while the lines were written.
    const QByteArray target = target_;
    const QString refused = checkTarget();
    if (!refused.isEmpty())
        return refuse(refused);
    if (target_ != target)
        return refuse(QStringLiteral("Das Ziel wurde während des Speicherns verändert; es bleibt, wie es ist."));
    if (::rename(temp_.constData(), target_.constData()) != 0)
        return fail(errno);
    temp_.clear();
    // The new name itself reaches the disk with its folder. The file is complete already, so a
    // folder that cannot be flushed (some file systems refuse) is no failure of the save.
    const int folder = ::open(folderOf(target_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool CompleteFile::fail(int errnoValue)
{
    discard();
    error_ = fileErrorReason(errnoValue);
    return false;
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
