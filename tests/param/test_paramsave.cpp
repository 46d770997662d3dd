// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param read -o: a target that cannot take the file is refused before the unit is asked,
// and the save's temporary file never outlives a signal.

#include "answeringunit.h"
#include "support/filelines.h"
#include "param/stopsignals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes each temporary file it is asked to guard and notes whether it was there when the
// guard began and when it ended.
class GuardWatch : public StopRequest {
public:
    void holdSignals() override {}
    int pending() const override { return 0; }
    void guardTemporaryFile(const std::function<QByteArray()> &make) override
    {
        guarded.push_back(make());
        thereAtGuard.push_back(QFile::exists(QFile::decodeName(guarded.back())));
    }
    void releaseTemporaryFile() override { thereAtRelease.push_back(QFile::exists(QFile::decodeName(guarded.back()))); }

    std::vector<QByteArray> guarded;
    std::vector<bool> thereAtGuard, thereAtRelease;
};

TEST(ParamSave, ATargetThatCannotTakeTheFileIsRefusedBeforeTheUnitIsAsked)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString readOnly = dir.filePath(QStringLiteral("readonly"));
    ASSERT_TRUE(QDir().mkdir(readOnly));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0500), 0);
    const QString notRegular = QStringLiteral(", keine gewöhnliche Datei. Gespeichert wird nur in eine gewöhnliche "
                                              "Datei oder unter einem neuen Namen; das Ziel bleibt unverändert.");
    std::vector<std::pair<QString, QString>> cases = {
        {dir.path(), QStringLiteral("Das Ziel ist ein Ordner") + notRegular},
        {fifo, QStringLiteral("Das Ziel ist eine Pipe (FIFO)") + notRegular},
        {dir.filePath(QStringLiteral("nowhere/unit.txt")), QStringLiteral("Den Ordner gibt es nicht.")},
    };
    if (::geteuid() != 0)   // root may write into any folder
        cases.emplace_back(readOnly + QStringLiteral("/unit.txt"), QStringLiteral("Keine Berechtigung."));
    for (const auto &[target, reason] : cases) {
        AnsweringUnit unit;
        const ParamRun run = runRixParam({QStringLiteral("read"), QStringLiteral("-o"), target}, unit);
        EXPECT_EQ(run.end.exitCode, 2);
        EXPECT_EQ(run.err, QStringLiteral("rix-param: %1: nichts gespeichert. %2\n").arg(target, reason));
        EXPECT_TRUE(unit.written.empty()) << target.toStdString();
    }
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QStringLiteral("fifo"), QStringLiteral("readonly")}));
    EXPECT_TRUE(entriesOf(readOnly).isEmpty());
}

TEST(ParamSave, EveryFileTheSaveMakesBesideItsTargetIsGuardedAgainstSignalsWhileItIsThere)
{
    QTemporaryDir dir;
    AnsweringUnit unit;
    GuardWatch watch;
    const QString target = dir.filePath(QStringLiteral("unit.txt"));
    const ParamRun run = runRixParam({QStringLiteral("read"), QStringLiteral("-o"), target, QStringLiteral("--quiet")},
                                     unit, &watch);
    ASSERT_EQ(run.end.exitCode, 0) << run.err.toStdString();
    // The check before the unit is asked, and the save.
    ASSERT_EQ(watch.guarded.size(), 2u);
    EXPECT_NE(watch.guarded[0], watch.guarded[1]);
    EXPECT_EQ(watch.thereAtGuard, (std::vector<bool>{true, true}));
    EXPECT_EQ(watch.thereAtRelease, (std::vector<bool>{false, false})) << "removed or renamed before the guard ends";
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("unit.txt")});
}

TEST(ParamSaveDeathTest, ASignalRemovesTheGuardedFileBeforeItEndsTheProgram)
{
    QTemporaryDir dir;
    const QByteArray temporary = QFile::encodeName(dir.filePath(QStringLiteral(".rix-term-test.tmp")));
    QFile made(QFile::decodeName(temporary));
    ASSERT_TRUE(made.open(QIODevice::WriteOnly));
    made.close();
    const auto signalWith = [&](bool released) {
        StopSignals stops;
        stops.guardTemporaryFile([&] { return temporary; });
        if (released)
            stops.releaseTemporaryFile();
        std::raise(SIGTERM);
        std::_Exit(0);
    };
    EXPECT_EXIT(signalWith(true), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_TRUE(QFile::exists(made.fileName())) << "released: the file is no longer the save's to remove";
    EXPECT_EXIT(signalWith(false), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_FALSE(QFile::exists(made.fileName()));
}

} // namespace
