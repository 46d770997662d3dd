// SPDX-License-Identifier: GPL-3.0-or-later
// The complete-or-nothing file at its last step: the flush to the disk before the new file
// takes the target's name.
#include "support/filelines.h"
#include "unit/files/completefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A disk that takes every write and fails the flush, as a failing disk or a full thin pool does.
int failingFlush(int)
{
    errno = EIO;
    return -1;
}

} // namespace

TEST(CompleteFile, AFlushThatFailsKeepsTheOldFileAndSaysWhyInGerman)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("liste.txt"));
    ASSERT_NO_FATAL_FAILURE(writeFile(path, "alter Inhalt\n"));

    CompleteFile file(path, failingFlush);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("neuer Inhalt\n", 13));
    EXPECT_FALSE(file.commit());

    EXPECT_EQ(file.errorText(), QStringLiteral("Ein-/Ausgabefehler: der Datenträger oder das Gerät meldet einen Fehler."));
    EXPECT_EQ(contentOf(path), QByteArray("alter Inhalt\n"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")}) << "the unflushed file is left";

    // The same save on a disk that flushes replaces the file.
    CompleteFile healthy(path);
    ASSERT_TRUE(healthy.open());
    ASSERT_TRUE(healthy.write("neuer Inhalt\n", 13));
    EXPECT_TRUE(healthy.commit()) << healthy.errorText().toStdString();
    EXPECT_EQ(contentOf(path), QByteArray("neuer Inhalt\n"));
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("liste.txt")});
}

// Another program's recording holds a lock on its file: a save there would replace the file
// under it, so it is refused and the file stays.
TEST(CompleteFile, AFileAnotherProgramHoldsLockedIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# Mitschnitt\n");
    }
    const int holder = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    CompleteFile file(path);
    EXPECT_FALSE(file.open());
    EXPECT_EQ(file.errorText(), QStringLiteral("Die Datei ist von einem anderen Programm gesperrt (etwa von einem "
                                               "laufenden Mitschnitt); sie bleibt unverändert."));
    EXPECT_EQ(contentOf(path), "# Mitschnitt\n");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("mitschnitt.txt")});

    ::close(holder);
    CompleteFile free(path);
    ASSERT_TRUE(free.open()) << free.errorText().toStdString();
    ASSERT_TRUE(free.write("neu\n", 4));
    EXPECT_TRUE(free.commit());
    EXPECT_EQ(contentOf(path), "neu\n");
}
