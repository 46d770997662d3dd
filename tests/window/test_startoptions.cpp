// SPDX-License-Identifier: GPL-3.0-or-later
// Starting where the technician is: the command line read before any window, and its port,
// baud rate, address, connect and recording applied as the user's own actions would be.
#include "support/harness.h"
#include "support/waiting.h"
#include "unit/line/openfailure.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/recordingviewer.h"

#include <QAction>
#include "window/app/commandline.h"
#include "window/app/startoptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Action = StartCommandLine::Action;

namespace {

StartCommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("rix-term"));
    return parseStartCommandLine(arguments);
}

StartOptions options(const QString &port, const QString &baud, const QString &address, bool connect,
                     const QString &logFile = QString())
{
    StartOptions o;
    o.port = port;
    o.baud = baud;
    o.address = address;
    o.connect = connect;
    o.logFile = logFile;
    return o;
}

} // namespace

TEST(StartOptions, TheOptionsAreReadInEitherFormAndQtsOwnAreLeftToQt)
{
    const StartCommandLine none = parse({});
    EXPECT_EQ(none.action, Action::Run);
    EXPECT_TRUE(none.options.port.isEmpty() && none.options.baud.isEmpty() && none.options.address.isEmpty());
    EXPECT_FALSE(none.options.connect);
    EXPECT_TRUE(none.options.logFile.isEmpty());

    const StartCommandLine all = parse({"--port", "/dev/ttyUSB0", "--baud=4800", "--address", "a", "--connect", "--log",
                                        "sitzung.txt"});
    ASSERT_EQ(all.action, Action::Run) << all.error.toStdString();
    EXPECT_EQ(all.options.port, "/dev/ttyUSB0");
    EXPECT_EQ(all.options.baud, "4800");
    EXPECT_EQ(all.options.address, "A");
    EXPECT_TRUE(all.options.connect);
    EXPECT_EQ(all.options.logFile, "sitzung.txt");

    const StartCommandLine opening = parse({"--open", "feld.txt", "--open=zweiter.txt", "--connect"});
    ASSERT_EQ(opening.action, Action::Run) << opening.error.toStdString();
    EXPECT_EQ(opening.options.openFiles, (QStringList{"feld.txt", "zweiter.txt"}));
    EXPECT_TRUE(none.options.openFiles.isEmpty());

    const StartCommandLine withQt = parse({"-platform", "offscreen", "-style", "fusion", "-reverse", "--port", "COM3"});
    ASSERT_EQ(withQt.action, Action::Run) << withQt.error.toStdString();
    EXPECT_EQ(withQt.options.port, "COM3");

    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--port", "COM2", "--help"}).action, Action::Help);
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
}

TEST(StartOptions, ABadOptionOrValueIsSaidInGerman)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--baud", "9600"}, "Ungültige Baudrate „9600“: 19200 oder 4800."},
        {{"--address", "G"}, "Ungültige Adresse „G“: 0–9, A–F oder S."},
        {{"--address", "AB"}, "Ungültige Adresse „AB“: 0–9, A–F oder S."},
        {{"--bogus"}, "Unbekannte Option „--bogus“."},
        {{"-x"}, "Unbekannte Option „-x“."},
        {{"--port"}, "Bei „--port“ fehlt der Wert."},
        {{"--port", "--connect"}, "Bei „--port“ fehlt der Wert."},
        {{"--port", ""}, "Bei „--port“ fehlt der Wert."},
        {{"--log"}, "Bei „--log“ fehlt der Wert."},
        {{"--open"}, "Bei „--open“ fehlt der Wert."},
        {{"--open", "a.txt", "--open", "--connect"}, "Bei „--open“ fehlt der Wert."},
        {{"--connect=ja"}, "Die Option „--connect“ nimmt keinen Wert an."},
        {{"COM1"}, "Unerwartetes Argument „COM1“."},
    };
    for (const auto &[arguments, message] : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const StartCommandLine parsed = parse(arguments);
        EXPECT_EQ(parsed.action, Action::Error);
        EXPECT_EQ(parsed.error, message);
    }
}

TEST(StartOptions, PortBaudAndAddressFillTheBoxesAndConnectConnectsAsVerbindenDoes)
{
    Harness h;
    h.showWindow();
    applyStartOptions(h.p, options("/dev/ttyUSB7", "4800", "A", true));
    EXPECT_EQ(h.w.cbCOM()->currentText(), "/dev/ttyUSB7");
    EXPECT_EQ(h.w.cbbaud()->currentText(), "4800");
    EXPECT_EQ(h.w.cbAdr()->currentText(), "A");

    ASSERT_TRUE(testsupport::waitUntil([&] { return h.channel.isOpen(); }));
    ASSERT_EQ(h.channel.opens.size(), 1u);
    EXPECT_EQ(h.channel.opens[0].portName, "/dev/ttyUSB7");
    EXPECT_EQ(h.channel.opens[0].baudText, "4800");
    EXPECT_EQ(h.w.lbl1()->text(), "(A) /dev/ttyUSB7:4800,n,8,1");
    EXPECT_EQ(h.state.AddressDigit, "A");
    EXPECT_FALSE(h.w.cmdEIN()->isEnabled());
    EXPECT_TRUE(h.w.cmdF0()->isEnabled());
    EXPECT_TRUE(h.conversation.isPolling());
    EXPECT_TRUE(h.channel.writes.empty()) << "connecting writes nothing";
    EXPECT_TRUE(h.box.texts.empty());
}

TEST(StartOptions, APortThatIsRefusedGivesTheBoxOfVerbindenAndTheEnd)
{
    Harness h;
    h.channel.failOpen = true;
    applyStartOptions(h.p, options("/dev/ttyUSB7", QString(), QString(), true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.end.ends == 1; }));
    ASSERT_EQ(h.box.texts.size(), 1u);
    EXPECT_EQ(h.box.texts[0], openFailureMessage("/dev/ttyUSB7"));
    EXPECT_EQ(h.end.exitCode, 1);
}

TEST(StartOptions, WithoutOptionsNothingChangesAndNothingHappens)
{
    Harness h;
    applyStartOptions(h.p, StartOptions{});
    testsupport::runEventsFor(100ms);
    EXPECT_EQ(h.w.cbCOM()->currentText(), "COM1");
    EXPECT_EQ(h.w.cbbaud()->currentText(), "19200");
    EXPECT_EQ(h.w.cbAdr()->currentText(), "S");
    EXPECT_TRUE(h.channel.opens.empty());
    EXPECT_FALSE(h.app.recording().isRunning());
    EXPECT_TRUE(h.box.texts.empty());
}

TEST(StartOptions, TheRecordingStartsBeforeTheConnectSoItsFileHasTheConnect)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sitzung.txt"));
    Harness h;
    applyStartOptions(h.p, options("COM2", QString(), QString(), true, path));
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.channel.isOpen(); }));
    EXPECT_EQ(h.w.lbrx()->fileMenu()->recordingFile(), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(", nicht verbunden")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" Verbunden: (S) COM2:19200,n,8,1")) << lines[1].toStdString();
}

TEST(StartOptions, OpenShowsEachRecordingInAWindowOfItsOwnBesideTheConnectedWindow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("feld.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\n2026-12-07 18:00:02.000\t$RSV\tSVx\n");
    file.close();
    Harness h;
    StartOptions o = options("COM2", QString(), QString(), true);
    o.openFiles = {path, dir.filePath(QStringLiteral("fehlt.txt"))};
    applyStartOptions(h.p, o);
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.w.findChildren<RecordingViewer *>().size() == 1 && h.box.texts.size() == 1; }));
    RecordingViewer *viewer = h.w.findChild<RecordingViewer *>();
    EXPECT_EQ(viewer->path(), path);
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(h.channel.isOpen()) << "the window connected all the same";
    EXPECT_TRUE(h.box.texts[0].startsWith(QStringLiteral("Der Mitschnitt „%1“ kann nicht geöffnet werden.\rGrund: ")
                                               .arg(dir.filePath(QStringLiteral("fehlt.txt")))))
        << h.box.texts[0].toStdString();
    viewer->close();
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.w.findChildren<RecordingViewer *>().isEmpty(); }))
        << "closed, it is gone";
}

TEST(StartOptions, MitschnittOeffnenInEitherListsMenuOpensTheChosenFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("feld.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2026-12-07 18:00:02.000\t$RSV\tSVx\n");
    file.close();
    Harness h;
    for (LineList *list : {h.w.lb2(), h.w.lbrx()}) {
        QStringList entries;
        for (const QAction *action : list->menuEntries())
            if (action)
                entries << action->text();
        EXPECT_EQ(entries.indexOf(QStringLiteral("Mitschnitt öffnen …")), entries.indexOf(QStringLiteral("Mitschnitt in Datei …")) + 1)
            << "beside the recording's entries";
        list->fileMenu()->setOpenFileAsker([&](QWidget *, const QString &caption, const QString &, const QString &) {
            EXPECT_EQ(caption, QStringLiteral("Mitschnitt öffnen"));
            return path;
        });
        list->fileMenu()->openRecordingAction()->trigger();
    }
    ASSERT_TRUE(testsupport::waitUntil([&] { return h.w.findChildren<RecordingViewer *>().size() == 2; }))
        << "as many as asked for";
    EXPECT_TRUE(h.box.texts.empty());
}
