// SPDX-License-Identifier: GPL-3.0-or-later
// Without a display, or with one that cannot be reached, the program says so in one line and
// ends with 1; Qt alone would abort (134). Its help, version and a bad option need none.
#include "window/app/startup.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QString noDisplay =
    QStringLiteral("rix-term: Keine grafische Anzeige: weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.");

// The environment without any display; `set` adds to it.
QProcessEnvironment withoutDisplay(const std::vector<std::pair<QString, QString>> &set = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QString::fromLatin1(name));
    for (const auto &[name, value] : set)
        env.insert(name, value);
    return env;
}

struct ProgramRun {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

ProgramRun runProgram(const QStringList &arguments, const QProcessEnvironment &env, const QString &outputFile = QString())
{
    QProcess program;
    program.setProcessEnvironment(env);
    if (!outputFile.isEmpty())
        program.setStandardOutputFile(outputFile);
    program.start(QStringLiteral(RIX_TERM_PROGRAM), arguments);
    ProgramRun run;
    if (!program.waitForFinished(20'000)) {
        program.kill();
        program.waitForFinished();
        run.err = QStringLiteral("<still running after 20 s>");
        return run;
    }
    run.crashed = program.exitStatus() != QProcess::NormalExit;
    run.exitCode = program.exitCode();
    run.out = QString::fromUtf8(program.readAllStandardOutput());
    run.err = QString::fromUtf8(program.readAllStandardError());
    return run;
}

// The last line the program wrote to standard error (Qt's own warnings may come before it).
QString lastLine(const QString &text)
{
    return text.trimmed().section(QLatin1Char('\n'), -1);
}
} // namespace

TEST(NoDisplay, TheProgramPrintsWhatIsMissingAndEndsWithOne)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(RIX_TERM_PROGRAM), {});
    ASSERT_TRUE(program.waitForFinished(20'000)) << program.errorString().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardError()), noDisplay + "\n");
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
}

TEST(NoDisplay, OnlyX11AndWaylandNeedOneAndEitherVariableIsEnough)
{
    const QStringList bare = {QStringLiteral("rix-term")};
    EXPECT_EQ(missingDisplayMessage(bare, "", "", ""), noDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "xcb", "", ""), noDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "wayland;xcb", "", ""), noDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "", ":0", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "", "", "wayland-0"), "");
    // The tests' own runs and remote use need no display.
    EXPECT_EQ(missingDisplayMessage(bare, "offscreen", "", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "vnc:size=800x600", "", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "minimal", "", ""), "");
    // "-platform" on the command line wins over the variable, as it does in Qt.
    EXPECT_EQ(missingDisplayMessage({"rix-term", "-platform", "offscreen"}, "xcb", "", ""), "");
    EXPECT_EQ(missingDisplayMessage({"rix-term", "-platform", "xcb"}, "offscreen", "", ""), noDisplay);
}

TEST(NoDisplay, HelpVersionAndABadOptionNeedNone)
{
    const ProgramRun help = runProgram({QStringLiteral("--help")}, withoutDisplay());
    EXPECT_FALSE(help.crashed);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Aufruf: rix-term [--port P] [--baud 19200|4800] [--address D] "
                                                   "[--connect] [--log DATEI]\n")))
        << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const ProgramRun version = runProgram({QStringLiteral("--version")}, withoutDisplay());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^rix-term \\d+\\.\\d+\\.\\d+\n$")).match(version.out).hasMatch())
        << version.out.toStdString();

    // Before any window and before the display is even looked at.
    const ProgramRun bad = runProgram({QStringLiteral("--baud"), QStringLiteral("9600")}, withoutDisplay());
    EXPECT_FALSE(bad.crashed);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, QStringLiteral("rix-term: Ungültige Baudrate „9600“: 19200 oder 4800. (--help zeigt die Aufrufe)\n"));
    EXPECT_TRUE(bad.out.isEmpty());

    // A help that could not be written is no success.
    const ProgramRun full = runProgram({QStringLiteral("--version")}, withoutDisplay(), QStringLiteral("/dev/full"));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, QStringLiteral("rix-term: Die Ausgabe konnte nicht geschrieben werden.\n"));
}

TEST(NoDisplay, AnX11DisplayThatCannotBeReachedIsNamedInOneGermanLine)
{
    // A display number nobody serves here.
    QString display;
    for (int n : {99, 4711, 31999})
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
            display = QStringLiteral(":%1").arg(n);
            break;
        }
    ASSERT_FALSE(display.isEmpty());
    const ProgramRun run = runProgram({}, withoutDisplay({{QStringLiteral("DISPLAY"), display}}));
    EXPECT_FALSE(run.crashed) << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lastLine(run.err), QStringLiteral("rix-term: Die grafische Anzeige „%1“ ist nicht erreichbar.").arg(display));
    EXPECT_FALSE(run.err.contains(QStringLiteral("Reinstalling"))) << run.err.toStdString();
}

TEST(NoDisplay, AWaylandDisplayThatCannotBeReachedIsNamedInOneGermanLine)
{
    QTemporaryDir runtime;
    const ProgramRun run = runProgram({}, withoutDisplay({{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland")},
                                                   {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("nowhere")},
                                                   {QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()}}));
    if (run.err.contains(QStringLiteral("Could not find the Qt platform plugin \"wayland\"")))
        GTEST_SKIP() << "Qt's Wayland plugin is not installed (qt6-wayland)";
    EXPECT_FALSE(run.crashed) << run.err.toStdString();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lastLine(run.err), QStringLiteral("rix-term: Die grafische Anzeige „nowhere“ ist nicht erreichbar."));
}

TEST(NoDisplay, TheUnreachableDisplaysAreNamedAsQtTriedThem)
{
    EXPECT_EQ(unreachableDisplayMessage({"xcb"}, ":99", ""), "rix-term: Die grafische Anzeige „:99“ ist nicht erreichbar.");
    EXPECT_EQ(unreachableDisplayMessage({"wayland"}, "", "nowhere"),
              "rix-term: Die grafische Anzeige „nowhere“ ist nicht erreichbar.");
    // Wayland's own default when WAYLAND_DISPLAY is empty.
    EXPECT_EQ(unreachableDisplayMessage({"wayland"}, "", ""), "rix-term: Die grafische Anzeige „wayland-0“ ist nicht erreichbar.");
    // Both tried, each under its own name; an X11 display that was not set is no name.
    EXPECT_EQ(unreachableDisplayMessage({"wayland", "xcb"}, ":5", "nowhere"),
              "rix-term: Die grafischen Anzeigen „nowhere“ und „:5“ sind nicht erreichbar.");
    EXPECT_EQ(unreachableDisplayMessage({"wayland-egl", "wayland", "xcb"}, "", "nowhere"),
              "rix-term: Die grafische Anzeige „nowhere“ ist nicht erreichbar.");
    EXPECT_EQ(unreachableDisplayMessage({"xcb"}, "", ""),
              "rix-term: Die grafische Anzeige ist nicht erreichbar: DISPLAY ist nicht gesetzt.");
    // Not a display's fault: left to Qt.
    EXPECT_EQ(unreachableDisplayMessage({"eglfs"}, "", ""), "");
    EXPECT_EQ(unreachableDisplayMessage({}, ":99", ""), "");
}
