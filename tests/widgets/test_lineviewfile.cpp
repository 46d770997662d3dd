#include "unit/completefile.h"
#include "widgets/lineview.h"
#include "widgets/lineviewfile.h"
#include "widgets/lineviewstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRefusedTail = QStringLiteral(
    ", keine gewöhnliche Datei. Gespeichert wird nur in eine gewöhnliche Datei oder unter einem neuen Namen; "
    "das Ziel bleibt unverändert.");

LineStore twoLines()
{
    LineStore store;
    store.append("SRF0F011", 0);
    store.append("E1", 1000);
    return store;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<nicht lesbar>");
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool isFifo(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

// Files may grow to `bytes` only, and crossing the limit is an error (EFBIG) instead of the
// signal that would end the process: a full disk for this process, without root. Both are
// restored when the scope ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old_), 0);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

TEST(LineViewFile, AFullDiskLeavesTheOldFileAndTheBoxSaysWhyInGerman)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    writeFile(path, "alter Inhalt\n");

    LineView view;
    for (int i = 0; i < 2000; ++i)
        view.addLine(QByteArray("SRF0F011 Zeile ") + QByteArray::number(i), 0);
    view.setSaveFileAsker([&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    QStringList warnings;
    view.setWarningBox([&](QWidget *, const QString &, const QString &text) { warnings << text; });
    {
        const FileSizeLimit fullDisk(4096);
        view.saveAs();
    }

    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: "
                                                      "Die Datei wird zu groß.")
                                           .arg(QDir::toNativeSeparators(path))))
        << warnings[0].toStdString();
    EXPECT_FALSE(warnings[0].contains(QStringLiteral("Unknown error")));
    EXPECT_EQ(contentOf(path), QByteArray("alter Inhalt\n"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")}) << "the unfinished file is left";

    // With room again the same save replaces the file whole.
    warnings.clear();
    view.saveAs();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(contentOf(path).count('\n'), 2000);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")});
}

TEST(LineViewFile, AFifoAFolderAndALinkToAFifoAreRefusedAndStayAsTheyAre)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(fifo, link));
    const QString folder = dir.filePath(QStringLiteral("ordner"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const LineStore store = twoLines();

    QString reason;
    EXPECT_FALSE(saveLines(store, fifo, &reason));
    EXPECT_EQ(reason, QStringLiteral("Das Ziel ist eine Pipe (FIFO)") + kRefusedTail);
    EXPECT_TRUE(isFifo(fifo));

    reason.clear();
    EXPECT_FALSE(saveLines(store, link, &reason));
    EXPECT_EQ(reason, QStringLiteral("Das Ziel ist eine Verknüpfung auf eine Pipe (FIFO)") + kRefusedTail);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(isFifo(fifo));

    reason.clear();
    EXPECT_FALSE(saveLines(store, folder, &reason));
    EXPECT_EQ(reason, QStringLiteral("Das Ziel ist ein Ordner") + kRefusedTail);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(entriesOf(folder).isEmpty());

    EXPECT_EQ(entriesOf(dir.path()),
              (QStringList{QStringLiteral("fifo"), QStringLiteral("link"), QStringLiteral("ordner")}));
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
    EXPECT_TRUE(reason.startsWith(QStringLiteral("Keine Berechtigung, hier zu schreiben."))
                || reason.startsWith(QStringLiteral("Das Dateisystem ist nur lesbar.")))
        << reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(::geteuid() == 0 || entriesOf(folder).isEmpty());
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("nurlesen"))).constData(), 0755);
}

TEST(LineViewFile, ReasonsAreGermanAndNeverUnknown)
{
    const struct {
        int error;
        const char *reason;
    } cases[] = {
        {ENOSPC, "Auf dem Datenträger ist kein Platz mehr frei."},
        {EDQUOT, "Der Speicherplatz, der Ihnen auf dem Datenträger zusteht (Quota), ist aufgebraucht."},
        {EACCES, "Keine Berechtigung, hier zu schreiben."},
        {EPERM, "Keine Berechtigung, hier zu schreiben."},
        {EROFS, "Das Dateisystem ist nur lesbar."},
        {EFBIG, "Die Datei wird zu groß."},
        {EIO, "Beim Schreiben auf den Datenträger ist ein Ein-/Ausgabefehler aufgetreten."},
        {ENAMETOOLONG, "Der Name der Datei ist zu lang."},
        {ENOENT, "Den Ordner gibt es nicht."},
        {4242, "Das System meldet den Fehler Nr. 4242."},
    };
    for (const auto &c : cases) {
        const QString reason = fileErrorReason(c.error);
        EXPECT_TRUE(reason.startsWith(QString::fromUtf8(c.reason))) << c.error << ": " << reason.toStdString();
        EXPECT_FALSE(reason.contains(QStringLiteral("Unknown"))) << reason.toStdString();
    }
}
