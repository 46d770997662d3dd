// SPDX-License-Identifier: GPL-3.0-or-later
// QtSerialChannel against a real pseudo-terminal: the test holds the master end.
#include "support/pty.h"
#include "unit/line/qtserialchannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::Pty;

QByteArray everyByteValue()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

// Takes `count` bytes through the channel while the event loop runs, giving up at the deadline.
QByteArray readChars(QtSerialChannel &channel, int count, int timeoutMs = 5000)
{
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray got;
    while (got.size() < count && !deadline.hasExpired()) {
        got += channel.takeAvailable();
        if (got.size() < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return got;
}

speed_t lineSpeed(int fd)
{
    termios tio{};
    EXPECT_EQ(::tcgetattr(fd, &tio), 0);
    return ::cfgetospeed(&tio);
}

double threadCpuMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class QtSerialChannelOnPty : public ::testing::Test {
protected:
    void openChannel(const QString &baud = QStringLiteral("19200"))
    {
        channel.open(PortSettings{pty.slavePath(), baud});
        ASSERT_TRUE(channel.isOpen());
    }

    Pty pty;
    QtSerialChannel channel;
};

// --- bytes on the line ---------------------------------------------------------------

TEST_F(QtSerialChannelOnPty, EveryByteValueGoesOutExactlyAndNothingElse)
{
    openChannel();
    const QByteArray all = everyByteValue();
    channel.write(all);
    EXPECT_EQ(pty.read(all.size()), all);
    channel.write(QByteArray("$RARF3"));
    EXPECT_EQ(pty.read(6), QByteArray("$RARF3"));
    EXPECT_TRUE(pty.readFor(50).isEmpty());
}

TEST_F(QtSerialChannelOnPty, EveryByteValueComesInExactlyAndInOrder)
{
    openChannel();
    const QByteArray all = everyByteValue();
    ASSERT_TRUE(pty.write(all));
    EXPECT_EQ(readChars(channel, all.size()), all);
    EXPECT_TRUE(channel.takeAvailable().isEmpty());
}

TEST_F(QtSerialChannelOnPty, EmptyWriteSendsNothing)
{
    openChannel();
    EXPECT_NO_THROW(channel.write(QByteArray()));
    EXPECT_TRUE(pty.readFor(50).isEmpty());
    EXPECT_TRUE(channel.isOpen());
}

TEST_F(QtSerialChannelOnPty, LongBurstArrivesComplete)
{
    openChannel();
    QByteArray burst;
    for (int i = 0; i < 100000; ++i)
        burst.append(char((i * 7 + i / 256) & 0xFF));
    bool sent = false;
    std::thread writer([&] { sent = pty.write(burst, 20000); });
    const QByteArray got = readChars(channel, burst.size(), 20000);
    writer.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(got.size(), burst.size());
    EXPECT_TRUE(got == burst);
}

// --- taking what has arrived -----------------------------------------------------------

TEST_F(QtSerialChannelOnPty, TakingWithNothingWaitingReturnsAtOnce)
{
    openChannel();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(channel.takeAvailable().isEmpty());
    // A take that waited even 1 ms each time would need 100 ms.
    EXPECT_LT(clock.elapsed(), 50);
    EXPECT_TRUE(channel.isOpen());
}

TEST_F(QtSerialChannelOnPty, EverythingThatHasArrivedIsTakenAtOnce)
{
    openChannel();
    const QByteArray text("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!");
    ASSERT_TRUE(pty.write(text));
    runEventLoopFor(50);   // Qt's notifier fetches the bytes
    EXPECT_EQ(channel.takeAvailable(), text);
    EXPECT_TRUE(channel.takeAvailable().isEmpty());
}

TEST_F(QtSerialChannelOnPty, ArrivalIsReportedFromTheEventLoop)
{
    openChannel();
    int arrivals = 0;
    QByteArray got;
    channel.onBytesArrived([&] {
        ++arrivals;
        got += channel.takeAvailable();
    });
    ASSERT_TRUE(pty.write(QByteArray("Q")));
    const QDeadlineTimer deadline(5000);
    while (got.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    EXPECT_GE(arrivals, 1);
    EXPECT_EQ(got, QByteArray("Q"));
}

// --- opening ---------------------------------------------------------------------------

TEST(QtSerialChannelOpen, MissingOrEmptyPortIsRefused)
{
    QtSerialChannel channel;
    try {
        channel.open(PortSettings{QStringLiteral("/dev/rix-term-no-such-port"), QStringLiteral("19200")});
        ADD_FAILURE() << "a missing port was opened";
    } catch (const PortOpenError &e) {
        EXPECT_EQ(e.number(), ENOENT) << e.what();
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(QStringLiteral("gibt es nicht"))) << e.what();
    }
    EXPECT_FALSE(channel.isOpen());
    EXPECT_THROW(channel.open(PortSettings{QString(), QStringLiteral("19200")}), RixError);
    EXPECT_FALSE(channel.isOpen());
}

TEST_F(QtSerialChannelOnPty, SecondOpenerOfTheSamePortIsRefused)
{
    openChannel();
    QtSerialChannel second;
    try {
        second.open(PortSettings{pty.slavePath(), QStringLiteral("19200")});
        ADD_FAILURE() << "the port was opened twice";
    } catch (const PortOpenError &e) {
        // Busy, not missing: the reason says another program holds it.
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(QStringLiteral("anderen Programm"))) << e.what();
    }
    EXPECT_FALSE(second.isOpen());
    // The refusal leaves the first opener working.
    channel.write(QByteArray("ok"));
    EXPECT_EQ(pty.read(2), QByteArray("ok"));
}

TEST_F(QtSerialChannelOnPty, SecondOpenerUnderAnotherNameIsRefusedUntilTheFirstCloses)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("rix-port"));
    ASSERT_TRUE(QFile::link(pty.slavePath(), link));

    openChannel();
    // Lift the kernel's exclusive mode so only our own lock on the device can refuse
    // (it would not stop root anyway).
    ASSERT_EQ(::ioctl(pty.slaveFd(), TIOCNXCL), 0);
    QtSerialChannel second;
    try {
        second.open(PortSettings{link, QStringLiteral("19200")});
        ADD_FAILURE() << "the port was opened twice";
    } catch (const PortOpenError &e) {
        // Qt's lock file is the device's, whichever name it was opened by, and is named.
        EXPECT_EQ(e.number(), EBUSY) << e.what();
        EXPECT_TRUE(QString::fromStdString(e.what())
                        .startsWith(link + QStringLiteral(" wird von einem anderen Programm benutzt: Sperrdatei ")))
            << e.what();
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(QStringLiteral("/LCK..pts_"))) << e.what();
    }
    EXPECT_FALSE(second.isOpen());

    channel.close();
    second.open(PortSettings{link, QStringLiteral("19200")});
    EXPECT_TRUE(second.isOpen());
    second.write(QByteArray("via link"));
    EXPECT_EQ(pty.read(8), QByteArray("via link"));
}

TEST(QtSerialChannelOpen, TwoPortsAtPathsThatDifferOnlyInSlashAndUnderscoreAreUsedAtOnce)
{
    Pty first;
    Pty second;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("x")));
    const QString flat = dir.filePath(QStringLiteral("x_y"));
    const QString nested = dir.filePath(QStringLiteral("x/y"));
    ASSERT_TRUE(QFile::link(first.slavePath(), flat));
    ASSERT_TRUE(QFile::link(second.slavePath(), nested));

    QtSerialChannel one;
    QtSerialChannel other;
    EXPECT_NO_THROW(one.open(PortSettings{flat, QStringLiteral("19200")}));
    EXPECT_NO_THROW(other.open(PortSettings{nested, QStringLiteral("19200")}));
    ASSERT_TRUE(one.isOpen() && other.isOpen());
    one.write(QByteArray("x_y"));
    other.write(QByteArray("x/y"));
    EXPECT_EQ(first.read(3), QByteArray("x_y"));
    EXPECT_EQ(second.read(3), QByteArray("x/y"));
}

TEST_F(QtSerialChannelOnPty, BaudTextThatIsNoNumberKeepsTheLastValidRate)
{
    QtSerialChannel fresh;
    EXPECT_EQ(fresh.baudRate(), 9600);
    // Before any valid connect the line runs at QSerialPort's default.
    EXPECT_NO_THROW(channel.open(PortSettings{pty.slavePath(), QStringLiteral("abc")}));
    EXPECT_TRUE(channel.isOpen());
    EXPECT_EQ(lineSpeed(pty.slaveFd()), speed_t(B9600));
    channel.close();

    openChannel(QStringLiteral("4800"));
    EXPECT_EQ(lineSpeed(pty.slaveFd()), speed_t(B4800));
    channel.close();

    for (const char *notANumber : {"abc", "", "0", "-19200", "19200x", "12.5"}) {
        EXPECT_NO_THROW(channel.open(PortSettings{pty.slavePath(), QString::fromLatin1(notANumber)}))
            << notANumber;
        EXPECT_TRUE(channel.isOpen());
        EXPECT_EQ(channel.baudRate(), 4800) << notANumber;
        EXPECT_EQ(lineSpeed(pty.slaveFd()), speed_t(B4800)) << notANumber;
        channel.close();
    }

    openChannel(QStringLiteral("19200"));
    EXPECT_EQ(lineSpeed(pty.slaveFd()), speed_t(B19200));
    channel.write(QByteArray("still works"));
    EXPECT_EQ(pty.read(11), QByteArray("still works"));
}

TEST_F(QtSerialChannelOnPty, ReopenAfterCloseWorksAndClosedChannelRefusesIo)
{
    openChannel();
    channel.close();
    EXPECT_FALSE(channel.isOpen());
    EXPECT_NO_THROW(channel.closeAll());
    EXPECT_THROW(channel.takeAvailable(), SerialError);
    EXPECT_THROW(channel.write(QByteArray("x")), SerialError);
    EXPECT_FALSE(channel.modemStatus().has_value());

    openChannel();
    channel.write(QByteArray("again"));
    EXPECT_EQ(pty.read(5), QByteArray("again"));
    ASSERT_TRUE(pty.write(QByteArray("back")));
    EXPECT_EQ(readChars(channel, 4), QByteArray("back"));
    channel.closeAll();
    EXPECT_FALSE(channel.isOpen());
}

// --- modem lines and failures ----------------------------------------------------------

TEST_F(QtSerialChannelOnPty, ModemStatusOfAPseudoTerminalIsZeroAndHarmless)
{
    openChannel();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(channel.modemStatus().has_value());
    EXPECT_TRUE(channel.isOpen());
    EXPECT_TRUE(channel.takeAvailable().isEmpty());
    channel.write(QByteArray("lamps"));
    EXPECT_EQ(pty.read(5), QByteArray("lamps"));
}

TEST_F(QtSerialChannelOnPty, WriteThatTheLineDoesNotTakeInTimeFails)
{
    openChannel();
    // Fill the line towards the master (which does not read) through the helper's handle.
    const int fd = pty.slaveFd();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // The kernel moves a pty's bytes on in the background and so makes room again after a
    // refused write: filled until a pass after a short rest takes not one byte more.
    const QByteArray filler(1024, 'f');
    bool tookMore = true;
    for (int pass = 0; pass < 50 && tookMore; ++pass) {
        tookMore = false;
        while (::write(fd, filler.constData(), size_t(filler.size())) > 0)
            tookMore = true;
        while (::write(fd, "f", 1) > 0)
            tookMore = true;
        ASSERT_EQ(errno, EAGAIN);
        QThread::msleep(20);
    }
    ASSERT_FALSE(tookMore) << "the line never filled";

    QElapsedTimer clock;
    clock.start();
    try {
        channel.write(QByteArray("xy"));
        ADD_FAILURE() << "write into a full line succeeded";
    } catch (const SerialError &e) {
        EXPECT_EQ(e.number(), ErrorNumber::WriteTimeout) << e.what();
    }
    EXPECT_GE(clock.elapsed(), 40);
    EXPECT_LT(clock.elapsed(), 2000);
    // The refused bytes must not go out later, neither when the line drains nor when the
    // event loop gives the port a chance to write.
    QByteArray later;
    for (int i = 0; i < 4; ++i) {
        later += pty.readFor(50);
        runEventLoopFor(50);
    }
    later += pty.readFor(50);
    EXPECT_FALSE(later.contains('x'));
    EXPECT_TRUE(channel.isOpen());
}

TEST_F(QtSerialChannelOnPty, HangUpDuringReadIsReportedOnceAndClosesThePort)
{
    openChannel();
    pty.closeMaster();
    int lost = 0;
    int number = 0;
    const QDeadlineTimer deadline(5000);
    while (lost == 0 && !deadline.hasExpired()) {
        try {
            channel.takeAvailable();
        } catch (const SerialError &e) {
            ++lost;
            number = e.number();
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    ASSERT_EQ(lost, 1);
    // A hang-up has no system error number of its own.
    EXPECT_EQ(number, ErrorNumber::PortLost);
    EXPECT_FALSE(channel.isOpen());
    // Later calls do not repeat the loss: a read hands out what was read before it (here
    // nothing), a write finds the port closed.
    EXPECT_TRUE(channel.takeAvailable().isEmpty());
    try {
        channel.write(QByteArray("x"));
        ADD_FAILURE() << "write on a lost port succeeded";
    } catch (const SerialError &e) {
        EXPECT_EQ(e.number(), 1003);
    }
}

TEST_F(QtSerialChannelOnPty, HangUpWhileTheEventLoopRunsDoesNotFlood)
{
    openChannel();
    pty.closeMaster();
    // Qt's read notifier sees the hang-up first; a port left open would make it spin.
    const double cpuBefore = threadCpuMs();
    runEventLoopFor(300);
    const double cpuUsed = threadCpuMs() - cpuBefore;
    EXPECT_FALSE(channel.isOpen());
    EXPECT_LT(cpuUsed, 150.0);

    int lost = 0;
    int number = 0;
    for (int i = 0; i < 2; ++i) {
        try {
            channel.write(QByteArray("x"));
        } catch (const SerialError &e) {
            if (e.number() != ErrorNumber::NotOpen) {
                ++lost;
                number = e.number();
            }
        }
    }
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(number, ErrorNumber::PortLost);

    // A new connect starts clean.
    Pty other;
    channel.open(PortSettings{other.slavePath(), QStringLiteral("19200")});
    channel.write(QByteArray("new"));
    EXPECT_EQ(other.read(3), QByteArray("new"));
}

// An answer Qt has already read when the line goes (it came during a command's pause,
// when nobody takes it): closing the port must not throw it away.
TEST_F(QtSerialChannelOnPty, WhatWasReadBeforeAHangUpIsHandedOutAfterTheLoss)
{
    openChannel();
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    runEventLoopFor(50);   // Qt's notifier reads it; nobody takes it
    pty.closeMaster();
    runEventLoopFor(100);
    ASSERT_FALSE(channel.isOpen());
    try {
        channel.takeAvailable();
        ADD_FAILURE() << "the loss was not reported";
    } catch (const PortLostError &e) {
        EXPECT_EQ(e.number(), 1002);
    }
    EXPECT_EQ(channel.takeAvailable(), QByteArray("SRF0F011\r\n"));
    EXPECT_TRUE(channel.takeAvailable().isEmpty()) << "handed out once";
    EXPECT_THROW(channel.write(QByteArray("x")), SerialError);
    channel.close();
    EXPECT_THROW(channel.takeAvailable(), SerialError) << "after the program's close, the port is just closed";
}

// The lamps' query on a line whose other end hung up fails with ResourceError: that is a lost
// port, found before the read notifier has had a chance to see the hang-up.
TEST_F(QtSerialChannelOnPty, AFailedModemQueryOnAHungUpLineIsALostPort)
{
    openChannel();
    ASSERT_TRUE(pty.write("F011"));
    runEventLoopFor(50);
    pty.closeMaster();
    EXPECT_FALSE(channel.modemStatus().has_value());
    EXPECT_FALSE(channel.isOpen()) << "closed at the query, without the event loop";
    try {
        channel.takeAvailable();
        ADD_FAILURE() << "the loss was not reported";
    } catch (const PortLostError &e) {
        EXPECT_EQ(e.number(), 1002);
    }
    EXPECT_EQ(channel.takeAvailable(), QByteArray("F011"));
}

} // namespace
