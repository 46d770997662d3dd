// SPDX-License-Identifier: GPL-3.0-or-later
// The complete-or-nothing file at its last step: the flush to the disk before the new file
// takes the target's name.
#include "unit/completefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<nicht lesbar>");
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

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
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write("alter Inhalt\n"), 13);
    }

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
