// SPDX-License-Identifier: GPL-3.0-or-later
// Why a port was not opened, in German alone: the system's and Qt's English texts go to the
// log, never into the box or rix-param's line.
#include "unit/line/openfailure.h"
#include "unit/line/qtserialchannel.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

TEST(OpenFailure, ReasonsAreGermanAloneWhateverQtOrTheSystemSaid)
{
    // Qt's own words when its lock file is taken, and an existing device nobody holds by a lock file.
    const OpenFailure locked = explainOpenFailure(QStringLiteral("/dev/null"), QSerialPort::PermissionError,
                                                  QStringLiteral("Permission error while locking the device"), 0);
    EXPECT_EQ(locked.number, EBUSY);
    EXPECT_EQ(locked.reason, QStringLiteral("/dev/null wird von einem anderen Programm exklusiv benutzt."));

    const OpenFailure notATerminal = explainOpenFailure(QStringLiteral("/dev/null"), QSerialPort::UnknownError,
                                                        QStringLiteral("Inappropriate ioctl for device"), ENOTTY);
    EXPECT_EQ(notATerminal.number, ENOTTY);
    EXPECT_EQ(notATerminal.reason, QStringLiteral("/dev/null lässt sich nicht öffnen: Das ist keine serielle Schnittstelle."));

    // Without an errno the number follows Qt's kind of error.
    const OpenFailure resource = explainOpenFailure(QStringLiteral("/dev/null"), QSerialPort::ResourceError,
                                                    QStringLiteral("Input/output error"), 0);
    EXPECT_EQ(resource.number, EIO);
    EXPECT_EQ(resource.reason, QStringLiteral("/dev/null lässt sich nicht öffnen: Ein-/Ausgabefehler: der "
                                              "Datenträger oder das Gerät meldet einen Fehler."));

    const OpenFailure flocked = explainLockFailure(QStringLiteral("/dev/ttyUSB0"), EWOULDBLOCK);
    EXPECT_EQ(flocked.number, EWOULDBLOCK);
    EXPECT_EQ(flocked.reason, QStringLiteral("/dev/ttyUSB0 wird von einem anderen Programm benutzt: es hält eine "
                                             "Sperre (flock) auf dem Gerät, womöglich unter einem anderen Namen."));
}

TEST(OpenFailure, AMissingPortAndAFileThatIsNoPortAreExplainedInGerman)
{
    QtSerialChannel channel;
    try {
        channel.open(PortSettings{QStringLiteral("/dev/rix-term-no-such-port"), QStringLiteral("19200")});
        ADD_FAILURE() << "a missing port was opened";
    } catch (const PortOpenError &e) {
        EXPECT_EQ(e.number(), ENOENT);
        EXPECT_EQ(QString::fromStdString(e.what()),
                  QStringLiteral("Das Gerät /dev/rix-term-no-such-port gibt es nicht. Ist der Adapter eingesteckt, und "
                                 "ist der Name richtig? USB-Adapter heißen meist /dev/ttyUSB0 oder /dev/ttyACM0."));
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notAPort = dir.filePath(QStringLiteral("keinport"));
    QFile file(notAPort);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    try {
        channel.open(PortSettings{notAPort, QStringLiteral("19200")});
        ADD_FAILURE() << "a regular file was opened as a port";
    } catch (const PortOpenError &e) {
        EXPECT_EQ(e.number(), ENOTTY) << e.what();
        EXPECT_EQ(QString::fromStdString(e.what()),
                  notAPort + QStringLiteral(" lässt sich nicht öffnen: Das ist keine serielle Schnittstelle."));
    }
    EXPECT_FALSE(channel.isOpen());
}
