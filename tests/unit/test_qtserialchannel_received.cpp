// SPDX-License-Identifier: GPL-3.0-or-later
// QtSerialChannel::takeAllReceived() against a real pseudo-terminal: what the system holds is
// handed over at once, without the event loop having run, and without the read notifier
// ever finding the device empty afterwards (which Qt would report as a lost port).
#include "support/pty.h"
#include "unit/line/qtserialchannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <thread>

namespace {

using testsupport::Pty;

// Waits, without running the event loop, until the system holds `count` bytes for the slave.
bool systemHolds(const Pty &pty, int count)
{
    const QDeadlineTimer deadline(5000);
    int waiting = 0;
    while (!deadline.hasExpired()) {
        if (::ioctl(pty.slaveFd(), FIONREAD, &waiting) == 0 && waiting >= count)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void runEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class TakingAllReceived : public ::testing::Test {
protected:
    void SetUp() override
    {
        channel.open(PortSettings{pty.slavePath(), QStringLiteral("19200")});
        ASSERT_TRUE(channel.isOpen());
    }
    Pty pty;
    QtSerialChannel channel;
};

} // namespace

TEST_F(TakingAllReceived, HandsOverWhatTheSystemHoldsBeforeTheNotifierHasRun)
{
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(systemHolds(pty, 10));
    EXPECT_TRUE(channel.takeAvailable().isEmpty()) << "the notifier has not fetched it yet";
    EXPECT_EQ(channel.takeAllReceived(), "SRF0F011\r\n");

    // Nothing is handed out twice, nothing is lost, and the line still works both ways.
    runEventLoopFor(50);
    EXPECT_TRUE(channel.isOpen());
    EXPECT_TRUE(channel.takeAvailable().isEmpty());
    EXPECT_TRUE(channel.takeAllReceived().isEmpty()) << "nothing waiting: nothing, and no error";
    channel.write("$RSRF1");
    EXPECT_EQ(pty.read(6), "$RSRF1");
    ASSERT_TRUE(pty.write("SRF10A00\r\n"));
    QByteArray later;
    const QDeadlineTimer deadline(5000);
    while (later.size() < 10 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        later += channel.takeAvailable();
    }
    EXPECT_EQ(later, "SRF10A00\r\n");
}

TEST_F(TakingAllReceived, ATakeFromAPostedEventIsNoLossForTheNotifierThatSawTheInput)
{
    // A posted event is handled before the read notifiers in the same turn of the event
    // loop; a take there must leave the notifier nothing to trip over.
    QByteArray taken;
    for (int round = 0; round < 50 && channel.isOpen(); ++round) {
        ASSERT_TRUE(pty.write("SE1\r\n"));
        ASSERT_TRUE(systemHolds(pty, 5));
        QObject context;
        QMetaObject::invokeMethod(&context, [&] { taken += channel.takeAllReceived(); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        taken += channel.takeAvailable();
    }
    EXPECT_TRUE(channel.isOpen()) << "a take was reported as a lost port";
    EXPECT_EQ(taken.size(), 50 * 5);
}

TEST_F(TakingAllReceived, AHungUpLineIsReportedAsLost)
{
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(systemHolds(pty, 10));
    EXPECT_EQ(channel.takeAllReceived(), "SRF0F011\r\n");
    pty.closeMaster();
    EXPECT_THROW(channel.takeAllReceived(), PortLostError);
    EXPECT_FALSE(channel.isOpen());
}
