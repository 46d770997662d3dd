// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a test reads back from the disk (a text file's lines, a file's bytes, a folder's
// entries), and the file it finds there before (an old file a save must replace or keep).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Empty when the file cannot be read.
QList<QByteArray> fileLines(const QString &path);
// The file's bytes; "<nicht lesbar>" when it cannot be read, so that a check shows why.
QByteArray contentOf(const QString &path);
// Writes `content` to `path`, which is made or replaced; a failure fails the test (wrap the call
// in ASSERT_NO_FATAL_FAILURE to stop there).
void writeFile(const QString &path, const QByteArray &content);
// Every entry of the folder, hidden ones too, by name: what a save left behind beside its file.
QStringList entriesOf(const QString &folder);
