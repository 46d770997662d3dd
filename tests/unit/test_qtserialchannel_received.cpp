// SPDX-License-Identifier: GPL-3.0-or-later
// QtSerialChannel against a real pseudo-terminal: whether the system holds input the read
// notifier has not fetched yet (asked without waiting), and the rest handed over at once
// before a close.
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

TEST_F(TakingAllReceived, SaysWhatTheSystemHoldsAndTheNotifierFetchesItWithoutALoss)
{
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(systemHolds(pty, 10));
    EXPECT_TRUE(channel.takeAvailable().isEmpty()) << "the notifier has not fetched it yet";
    EXPECT_TRUE(channel.holdsUnfetched());

    runEventLoopFor(50);
    EXPECT_FALSE(channel.holdsUnfetched());
    EXPECT_EQ(channel.takeAvailable(), "SRF0F011\r\n");
    EXPECT_TRUE(channel.isOpen());
    channel.write("$RSRF1");
    EXPECT_EQ(pty.read(6), "$RSRF1");
}

TEST_F(TakingAllReceived, TheRestBeforeACloseIsHandedOverAtOnce)
{
    QByteArray taken;
    ASSERT_TRUE(pty.write("SE1\r\n"));
    runEventLoopFor(50);
    ASSERT_TRUE(pty.write("SEA\r\n"));
    ASSERT_TRUE(systemHolds(pty, 5));
    EXPECT_EQ(channel.takeRest(), "SE1\r\nSEA\r\n") << "what Qt fetched and what the system holds, in order";
    channel.close();
    EXPECT_FALSE(channel.isOpen());
}

TEST_F(TakingAllReceived, AHungUpLineIsUnfetchedInputAndReportedAsLost)
{
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    runEventLoopFor(50);
    pty.closeMaster();
    EXPECT_TRUE(channel.holdsUnfetched()) << "the hang-up is still to be found";
    runEventLoopFor(50);
    EXPECT_THROW(channel.takeAvailable(), PortLostError);
    EXPECT_EQ(channel.takeAvailable(), "SRF0F011\r\n") << "what was read before the loss";
    EXPECT_FALSE(channel.isOpen());
}
