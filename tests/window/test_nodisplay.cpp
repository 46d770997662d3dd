// Without a display the program says what is missing in one line and ends with 1; Qt alone
// would abort (134).
#include "window/app/startup.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {
const QString kNoDisplay =
    QStringLiteral("rix-term: Keine grafische Anzeige: weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.");
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
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardError()), kNoDisplay + "\n");
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
}

TEST(NoDisplay, VersionAndHelpNeedNoDisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    for (const char *asked : {"--version", "--help"}) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(RIX_TERM_PROGRAM), {QString::fromLatin1(asked)});
        ASSERT_TRUE(program.waitForFinished(20'000)) << program.errorString().toStdString();
        EXPECT_EQ(program.exitCode(), 0) << asked;
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(QString::fromLatin1(asked == std::string("--version") ? "rix-term 1." : "Aufruf: rix-term")))
            << out.toStdString();
        EXPECT_TRUE(program.readAllStandardError().isEmpty()) << asked;
    }
    EXPECT_EQ(informationAsked({QStringLiteral("rix-term"), QStringLiteral("--version")}, QStringLiteral("1.2.3")),
              QStringLiteral("rix-term 1.2.3\n"));
    EXPECT_EQ(informationAsked({QStringLiteral("rix-term"), QStringLiteral("-platform"), QStringLiteral("offscreen")},
                               QStringLiteral("1.2.3")),
              QString());
}

TEST(NoDisplay, OnlyX11AndWaylandNeedOneAndEitherVariableIsEnough)
{
    const QStringList bare = {QStringLiteral("rix-term")};
    EXPECT_EQ(missingDisplayMessage(bare, "", "", ""), kNoDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "xcb", "", ""), kNoDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "wayland;xcb", "", ""), kNoDisplay);
    EXPECT_EQ(missingDisplayMessage(bare, "", ":0", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "", "", "wayland-0"), "");
    // The tests' own runs and remote use need no display.
    EXPECT_EQ(missingDisplayMessage(bare, "offscreen", "", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "vnc:size=800x600", "", ""), "");
    EXPECT_EQ(missingDisplayMessage(bare, "minimal", "", ""), "");
    // "-platform" on the command line wins over the variable, as it does in Qt.
    EXPECT_EQ(missingDisplayMessage({"rix-term", "-platform", "offscreen"}, "xcb", "", ""), "");
    EXPECT_EQ(missingDisplayMessage({"rix-term", "-platform", "xcb"}, "offscreen", "", ""), kNoDisplay);
}
