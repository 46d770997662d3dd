// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/filelines.h"
#include "support/filesizelimit.h"
#include "unit/files/completefile.h"
#include "unit/systemreason.h"
#include "widgets/linelist.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/lineviewfile.h"
#include "widgets/lineviewstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString refusedTail = QStringLiteral(
    ", keine gewöhnliche Datei. Gespeichert wird nur in eine gewöhnliche Datei oder unter einem neuen Namen; "
    "das Ziel bleibt unverändert.");

LineStore twoLines()
{
    LineStore store;
    store.append("SRF0F011", 0);
    store.append("E1", 1000);
    return store;
}

// The kind of file at `path` (S_IFIFO, S_IFSOCK …), not following a link; 0 when there is none.
mode_t kindOf(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

bool makeSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || std::size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// A character device to save onto. Root gets a copy of /dev/null's node at `path`, so that a
// save that wrongly took it would replace only that copy. Anyone else cannot make a node, nor
// a file in /dev, so /dev/null itself is safe to try.
QString makeDevice(const QString &path)
{
    if (::geteuid() != 0)
        return QStringLiteral("/dev/null");
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0 ? path : QString();
}

} // namespace

TEST(LineViewFile, AFullDiskLeavesTheOldFileAndTheBoxSaysWhyInGerman)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    writeFile(path, "alter Inhalt\n");

    LineList view;
    for (int i = 0; i < 2000; ++i)
        view.addLine(QByteArray("SRF0F011 Zeile ") + QByteArray::number(i), 0);
    view.fileMenu()->setSaveFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    QStringList warnings;
    view.fileMenu()->setWarningBox([&](QWidget *, const QString &, const QString &text) { warnings << text; });
    view.fileMenu()->setReplaceAsker([](QWidget *, const QString &, const QString &) { return true; });
    {
        const testsupport::FileSizeLimit fullDisk(4096);
        view.fileMenu()->saveAs();
    }

    // The German reason alone: the system's "(File too large)" goes to the log only.
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: Die Datei wird zu groß.")
                               .arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(contentOf(path), QByteArray("alter Inhalt\n"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")}) << "the unfinished file is left";

    // With room again the same save replaces the file whole.
    warnings.clear();
    view.fileMenu()->saveAs();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(contentOf(path).count('\n'), 2000);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")});
}

TEST(LineViewFile, NoFifoSocketDeviceOrFolderNorALinkToOneIsWrittenAndEachStaysAsItIs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socket = dir.filePath(QStringLiteral("socket"));
    ASSERT_TRUE(makeSocket(socket));
    const QString device = makeDevice(dir.filePath(QStringLiteral("geraet")));
    ASSERT_FALSE(device.isEmpty());
    const QString folder = dir.filePath(QStringLiteral("ordner"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        QString target;
        const char *refused;
        const char *refusedThroughLink;
        mode_t kind;
    } cases[] = {
        {fifo, "Das Ziel ist eine Pipe (FIFO)", "Das Ziel ist eine Verknüpfung auf eine Pipe (FIFO)", S_IFIFO},
        {socket, "Das Ziel ist ein Socket", "Das Ziel ist eine Verknüpfung auf einen Socket", S_IFSOCK},
        {device, "Das Ziel ist ein Gerät", "Das Ziel ist eine Verknüpfung auf ein Gerät", S_IFCHR},
        {folder, "Das Ziel ist ein Ordner", "Das Ziel ist eine Verknüpfung auf einen Ordner", S_IFDIR},
    };
    for (const auto &c : cases) {
        const QString link = dir.filePath(QFileInfo(c.target).fileName() + QStringLiteral("-verweis"));
        ASSERT_TRUE(QFile::link(c.target, link)) << link.toStdString();
        QString reason;
        EXPECT_FALSE(saveLines(twoLines(), c.target, &reason));
        EXPECT_EQ(reason, QString::fromUtf8(c.refused) + refusedTail);
        reason.clear();
        EXPECT_FALSE(saveLines(twoLines(), link, &reason));
        EXPECT_EQ(reason, QString::fromUtf8(c.refusedThroughLink) + refusedTail);
        EXPECT_EQ(kindOf(c.target), c.kind) << c.target.toStdString();
        EXPECT_EQ(kindOf(link), mode_t(S_IFLNK)) << link.toStdString();
    }
    EXPECT_TRUE(entriesOf(folder).isEmpty());
    // Nothing was made beside them either.
    EXPECT_EQ(entriesOf(dir.path()).size(), device.startsWith(dir.path()) ? 8 : 7)
        << entriesOf(dir.path()).join(QLatin1Char(' ')).toStdString();
}

TEST(LineViewFile, ALinkToAFileStaysALinkAndTheFileKeepsItsMode)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("liste.txt"));
    writeFile(file, "alt\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    const QString link = dir.filePath(QStringLiteral("verweis.txt"));
    ASSERT_TRUE(QFile::link(file, link));

    QString reason;
    ASSERT_TRUE(saveLines(twoLines(), link, &reason)) << reason.toStdString();

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    const QList<QByteArray> lines = contentOf(file).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].mid(12), QByteArray("\tSRF0F011"));
    EXPECT_EQ(lines[1].mid(12), QByteArray("\tE1"));
    EXPECT_EQ(lines[2], QByteArray());
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QStringLiteral("liste.txt"), QStringLiteral("verweis.txt")}));
}

TEST(LineViewFile, AReadOnlyFolderIsRefusedWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString folder = dir.filePath(QStringLiteral("nurlesen"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    // Root writes into any folder whatever its mode; sysfs lets nobody make a file, not even root.
    if (::geteuid() == 0)
        folder = QStringLiteral("/sys/kernel");
    const QString path = folder + QStringLiteral("/liste.txt");

    QString reason;
    EXPECT_FALSE(saveLines(twoLines(), path, &reason));
    EXPECT_TRUE(reason == QStringLiteral("Keine Berechtigung.") || reason == QStringLiteral("Das Dateisystem ist nur lesbar."))
        << reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(::geteuid() == 0 || entriesOf(folder).isEmpty());
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("nurlesen"))).constData(), 0755);
}

TEST(LineViewFile, ReasonsAreGermanAloneWithoutTheSystemsEnglishText)
{
    const struct {
        int error;
        const char *reason;
    } cases[] = {
        {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei."},
        {EDQUOT, "Der Speicherplatz, der Ihnen auf dem Datenträger zusteht (Quota), ist aufgebraucht."},
        {EACCES, "Keine Berechtigung."},
        {EPERM, "Keine Berechtigung."},
        {EROFS, "Das Dateisystem ist nur lesbar."},
        {EFBIG, "Die Datei wird zu groß."},
        {EIO, "Ein-/Ausgabefehler: der Datenträger oder das Gerät meldet einen Fehler."},
        {ENAMETOOLONG, "Der Name ist zu lang."},
        {ENOENT, "Die Datei oder den Ordner gibt es nicht."},
        {EBUSY, "Das Gerät oder die Datei ist gerade belegt."},
        {EAGAIN, "Das Gerät oder die Datei ist gerade gesperrt oder belegt."},
        {ENOTTY, "Das ist keine serielle Schnittstelle."},
        {4242, "Das System meldet den Fehler Nr. 4242."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(systemReason(c.error), QString::fromUtf8(c.reason)) << c.error;
}
