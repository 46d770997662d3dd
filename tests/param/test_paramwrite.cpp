// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param write against a unit on a channel: the order the values go out in, the pause
// before each read-back, what a dry run does, and what a write that is stopped says.

#include "answeringunit.h"
#include "param/console.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

using std::chrono::milliseconds;

class ParamWrite : public ::testing::Test {
protected:
    QString setFile(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("set%1.txt").arg(++files));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    ParamRun write(const QByteArray &text, QStringList options = {}, StopRequest *stop = nullptr)
    {
        return runRixParam(QStringList{QStringLiteral("write"), setFile(text), QStringLiteral("--yes")} + options, unit,
                           stop);
    }
    static std::vector<QByteArray> bytes(std::initializer_list<const char *> commands)
    {
        return std::vector<QByteArray>(commands.begin(), commands.end());
    }

    QTemporaryDir dir;
    int files = 0;
    AnsweringUnit unit;
};

const QByteArray fiveChanges = "F1=0A10\nF2=1313\nF3=0E3C\nF4=0E10\nF5=64D0\n";

TEST_F(ParamWrite, PlainValuesGoFirstEachReadBackThenTheAddressThenTheLineMode)
{
    const ParamRun run = write("F6=1011\nF0=5011\nF5=64D0\nF3=0E3C\n", {QStringLiteral("--include-line-settings")});
    EXPECT_EQ(run.end.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(unit.written, bytes({"$RSRF0", "$RSRF3", "$RSRF5", "$RSRF6",
                                   "$RSPF30E3C", "$RSRF3", "$RSPF564D0", "$RSRF5",
                                   "$RSPF05011", "$R5RF0", "$RSPF61011", "$RSRF6"}));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("Geschrieben und zurückgelesen: 4 Wert(e).\n"))) << run.out.toStdString();
}

TEST_F(ParamWrite, EachReadBackGoesOutNoSoonerThan275MsAfterItsWrite)
{
    const ParamRun run = write("F1=0A10\nF4=0E10\n");
    ASSERT_EQ(run.end.exitCode, 0) << run.err.toStdString();
    int checked = 0;
    for (std::size_t i = 0; i + 1 < unit.written.size(); ++i) {
        if (unit.written[i].mid(3, 2) != "PF")
            continue;
        EXPECT_EQ(unit.written[i + 1], "$RSRF" + unit.written[i].mid(5, 1));
        EXPECT_GE(unit.writtenAt[i + 1] - unit.writtenAt[i], milliseconds(275)) << unit.written[i].toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(ParamWrite, ADryRunWritesNothingEvenWithYes)
{
    const ParamRun run = write(fiveChanges, {QStringLiteral("--dry-run")});
    EXPECT_EQ(run.end.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(unit.parameterWrites().empty());
    EXPECT_TRUE(run.out.contains(QStringLiteral("F3: 0E28 → 0E3C"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("Probelauf: nichts geschrieben.\n"))) << run.out.toStdString();
}

TEST_F(ParamWrite, WithoutATerminalAndWithoutYesItRefusesBeforeTheUnitIsAsked)
{
    const ParamRun run = runRixParam({QStringLiteral("write"), setFile(fiveChanges)}, unit);
    EXPECT_EQ(run.end.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("rix-param: Ohne Terminal wird nur mit --yes geschrieben. Nichts geschrieben.\n"));
    EXPECT_TRUE(unit.written.empty());
}

TEST_F(ParamWrite, ANoOnTheTerminalWritesNothingAndEndsWithItsOwnCode)
{
    StringOutput out, err;
    StopAfterWrites never(unit, 0, 0);
    QStringList questions;
    bool answer = false;
    ParamConsole console{out, err, true, [&](const QString &question) {
                             questions << question;
                             return answer;
                         },
                         never};
    const ParsedCommandLine parsed = parseCommandLine({QStringLiteral("write"), setFile("F1=0A10\nF3=0E3C\n")});
    EXPECT_EQ(runCommand(parsed.options, unit, console).exitCode, 4);
    EXPECT_EQ(questions, QStringList{QStringLiteral("2 Wert(e) in die Einheit schreiben? [j/N] ")});
    EXPECT_EQ(unit.written, bytes({"$RSRF1", "$RSRF3"}));
    EXPECT_TRUE(err.text.endsWith(QStringLiteral("rix-param: Abgebrochen. Nichts geschrieben.\n"))) << err.text.toStdString();

    answer = true;
    EXPECT_EQ(runCommand(parsed.options, unit, console).exitCode, 0);
    EXPECT_EQ(unit.parameterWrites(), bytes({"$RSPF10A10", "$RSPF30E3C"}));
}

TEST_F(ParamWrite, AStopDuringTheSecondWriteFinishesItWritesNothingMoreAndReportsEachParameter)
{
    StopAfterWrites ctrlC(unit, 2, SIGINT);
    const ParamRun run = write(fiveChanges, {}, &ctrlC);
    EXPECT_TRUE(ctrlC.held);
    EXPECT_EQ(run.end.signal, SIGINT);
    EXPECT_EQ(run.end.exitCode, 2);
    EXPECT_EQ(unit.parameterWrites(), bytes({"$RSPF10A10", "$RSPF21313"}));
    EXPECT_EQ(unit.written.back(), "$RSRF2") << "the second write is read back before the stop";
    EXPECT_TRUE(run.err.endsWith(QStringLiteral(
        "rix-param: SIGINT (Strg+C) empfangen.\n"
        "Schreiben abgebrochen, danach nichts mehr geschrieben. Stand der Einheit:\n"
        "  F1: 0A00 → 0A10  geschrieben und bestätigt\n"
        "  F2: 1212 → 1313  geschrieben und bestätigt\n"
        "  F3: 0E28 → 0E3C  nicht geschrieben\n"
        "  F4: 0E0E → 0E10  nicht geschrieben\n"
        "  F5: 64C8 → 64D0  nicht geschrieben\n")))
        << run.err.toStdString();
}

TEST_F(ParamWrite, AStopBeforeTheFirstWriteWritesNothing)
{
    struct Always : StopRequest {
        void holdSignals() override {}
        int pending() const override { return SIGPIPE; }
    } always;
    const ParamRun run = write("F1=0A10\n", {}, &always);
    EXPECT_EQ(run.end.signal, SIGPIPE);
    EXPECT_TRUE(unit.parameterWrites().empty());
    EXPECT_TRUE(run.err.endsWith(QStringLiteral("  F1: 0A00 → 0A10  nicht geschrieben\n"))) << run.err.toStdString();
}

TEST_F(ParamWrite, ALineSettingLeftOutIsNamedAndTheExitCodeSaysADifferenceRemains)
{
    const ParamRun alone = write("F0=5011\n");
    EXPECT_EQ(alone.end.exitCode, 1);
    EXPECT_TRUE(unit.parameterWrites().empty());
    EXPECT_TRUE(alone.out.endsWith(QStringLiteral(
        "Nichts geschrieben. F0 weicht weiter ab (nur mit --include-line-settings geschrieben).\n")))
        << alone.out.toStdString();

    const ParamRun withOther = write("F0=5011\nF3=0E3C\nF6=1011\n");
    EXPECT_EQ(withOther.end.exitCode, 1);
    EXPECT_EQ(unit.parameterWrites(), bytes({"$RSPF30E3C"}));
    EXPECT_TRUE(withOther.out.endsWith(QStringLiteral(
        "Geschrieben und zurückgelesen: 1 Wert(e). F0 und F6 weichen weiter ab (nur mit --include-line-settings "
        "geschrieben).\n")))
        << withOther.out.toStdString();
}

TEST_F(ParamWrite, ANewRateIsNotReadBackAndIsReportedAsNotConfirmed)
{
    const ParamRun run = write("F6=0010\nF2=1313\n", {QStringLiteral("--include-line-settings")});
    EXPECT_EQ(run.end.exitCode, 3);
    EXPECT_EQ(unit.parameterWrites(), bytes({"$RSPF21313", "$RSPF60010"}));
    EXPECT_EQ(unit.written.back(), "$RSPF60010");
    EXPECT_TRUE(run.err.contains(QStringLiteral(
        "  F2: 1212 → 1313  geschrieben und bestätigt\n"
        "  F6: 1010 → 0010  geschrieben, nicht bestätigt (Zustand unbekannt): neue Baudrate, nicht zurückgelesen\n"
        "Die Einheit arbeitet jetzt mit der Baudrate, die F6 nennt: mit dieser neu verbinden")))
        << run.err.toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("zurückgelesen:"))) << run.out.toStdString();
}

TEST_F(ParamWrite, AStandardOutputThatTakesNothingIsExitTwoWithItsReason)
{
    struct FullDisk : TextOutput {
        int put(const QByteArray &) override { return ENOSPC; }
    } full;
    StringOutput err;
    StopAfterWrites never(unit, 0, 0);
    ParamConsole console{full, err, false, {}, never};
    ParsedCommandLine diff = parseCommandLine({QStringLiteral("diff"), setFile("F3=0E3C\n"), QStringLiteral("--quiet")});
    EXPECT_EQ(runCommand(diff.options, unit, console).exitCode, 2);
    EXPECT_TRUE(err.text.startsWith(QStringLiteral("rix-param: Standardausgabe: Auf dem Datenträger ist kein Platz mehr frei.")))
        << err.text.toStdString();

    err.text.clear();
    ParsedCommandLine write = parseCommandLine({QStringLiteral("write"), setFile("F3=0E3C\n"), QStringLiteral("--yes")});
    EXPECT_EQ(runCommand(write.options, unit, console).exitCode, 2);
    EXPECT_TRUE(err.text.contains(QStringLiteral("Standardausgabe: Auf dem Datenträger ist kein Platz mehr frei.")))
        << err.text.toStdString();
    EXPECT_TRUE(err.text.endsWith(QStringLiteral(" Nichts geschrieben.\n"))) << err.text.toStdString();
    EXPECT_TRUE(unit.parameterWrites().empty());
}

} // namespace
