// SPDX-License-Identifier: GPL-3.0-or-later
// The program stores nothing: not even Qt's file dialog may leave its history behind.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QStringList everythingIn(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    return found;
}
} // namespace

TEST(StoresNothing, CancellingAndSavingThroughQtsFileDialogLeaveNothingInTheHomeFolder)
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(elsewhere.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    // Everything Qt and the desktop would keep then lies below HOME.
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        env.remove(QString::fromLatin1(name));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(SAVE_DIALOG_CHILD), {elsewhere.path()});
    ASSERT_TRUE(child.waitForFinished(60'000)) << child.errorString().toStdString();

    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    EXPECT_EQ(everythingIn(elsewhere.path()), QStringList{QStringLiteral("antworten.txt")});
    EXPECT_EQ(everythingIn(home.path()), QStringList()) << everythingIn(home.path()).join(QLatin1Char(' ')).toStdString();
}
