// SPDX-License-Identifier: GPL-3.0-or-later
// What the unit may send: any byte value, and bursts that never end. Every byte must reach
// lbrx exactly and in order (only the CR/LF after a burst's first byte are dropped), the
// shown text must have a visible symbol for every control byte, and nothing may crash.
#include "support/harness.h"
#include "support/liveprogram.h"
#include "support/pty.h"
#include "support/waiting.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using testsupport::Pty;

namespace {

QByteArray everyByteValue()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

// The reading rule: the first byte of a burst stays whatever it is, later CRs and LFs go.
QByteArray asStored(const QByteArray &burst)
{
    QByteArray kept = burst.left(1);
    for (const char c : burst.mid(1))
        if (c != '\r' && c != '\n')
            kept.append(c);
    return kept;
}

// A control character in the shown text would be painted as nothing (or break the line).
void expectEveryCharacterVisible(const QString &shown, const QByteArray &stored)
{
    ASSERT_EQ(shown.size(), stored.size()) << "one shown character per stored byte";
    for (int i = 0; i < shown.size(); ++i) {
        const auto byte = static_cast<unsigned char>(stored[i]);
        EXPECT_NE(shown[i].category(), QChar::Other_Control)
            << "byte 0x" << std::hex << int(byte) << " is shown as the invisible U+" << shown[i].unicode();
        if (byte < 0x20) {
            EXPECT_EQ(shown[i].unicode(), 0x2400 + byte) << "byte 0x" << std::hex << int(byte);
        } else if (byte < 0x7F) {
            EXPECT_EQ(shown[i].unicode(), byte) << "printable ASCII is shown as itself";
        } else if (byte == 0x7F) {
            EXPECT_EQ(shown[i].unicode(), 0x2421);
        }
    }
}

} // namespace

TEST(HostileBytes, EveryByteValueAsTheFirstByteOfABurstIsKeptAndShownVisibly)
{
    Harness h;
    h.connectWith("COM1", "19200", "S");
    h.w.ed1()->clear();   // the whole burst is the answer
    for (int b = 0; b < 256; ++b) {
        const QByteArray burst = QByteArray(1, char(b)) + "x";
        h.channel.receive(burst);
        h.tick();
        ASSERT_EQ(h.w.lbrx()->count(), b + 1) << "byte 0x" << std::hex << b;
        EXPECT_EQ(h.w.lbrx()->lineBytes(b), burst);
        expectEveryCharacterVisible(h.w.lbrx()->lineText(b), burst);
    }
    EXPECT_TRUE(h.box.texts.empty());
    EXPECT_EQ(h.end.ends, 0);
    EXPECT_TRUE(h.conversation.isPolling());
}

TEST(HostileBytes, EveryByteValueThroughTheRealPortArrivesExactlyAndIsShownVisibly)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());
    prog.w.ed1()->clear();

    const QByteArray all = everyByteValue();
    ASSERT_TRUE(pty.write(all));
    const QByteArray expected = asStored(all);
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.receivedBytes().size() >= expected.size(); }, 10s))
        << "got " << prog.receivedBytes().size() << " of " << expected.size() << " bytes";
    // One write of 256 bytes comes as one burst; XON, XOFF, ^C, CR and DEL are data on this line.
    ASSERT_EQ(prog.w.lbrx()->count(), 1);
    EXPECT_EQ(prog.w.lbrx()->lineBytes(0), expected);
    expectEveryCharacterVisible(prog.w.lbrx()->lineText(0), expected);

    // Still working: the unit's next answer comes through as well.
    ASSERT_TRUE(pty.write("SRF0F011\r\n"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.w.lbrx()->count() == 2; }, 10s));
    EXPECT_EQ(prog.w.lbrx()->lineBytes(1), "SRF0F011");
    EXPECT_TRUE(prog.box.texts.empty());
    EXPECT_EQ(prog.end.ends, 0);
}

TEST(HostileBytes, AMegabyteWithoutLineEndsIsCutIntoLinesWithEveryByteInOrder)
{
    Pty pty;
    LiveProgram prog;
    prog.connectTo(pty.slavePath(), "19200");
    ASSERT_TRUE(prog.connected());
    prog.w.ed1()->clear();

    // Every value but CR and LF, in a sequence that does not repeat within a line.
    QByteArray megabyte;
    megabyte.reserve(1 << 20);
    for (unsigned i = 0; megabyte.size() < (1 << 20); ++i) {
        const char c = char((i * 7919u + i / 253u) % 256u);
        if (c != '\r' && c != '\n')
            megabyte.append(c);
    }
    bool written = false;
    std::thread unit([&] { written = pty.write(megabyte, 60'000); });
    const bool arrived = testsupport::waitUntil([&] { return prog.receivedBytes().size() >= megabyte.size(); }, 60s);
    unit.join();
    ASSERT_TRUE(written);
    ASSERT_TRUE(arrived) << "got " << prog.receivedBytes().size() << " of " << megabyte.size() << " bytes";

    EXPECT_EQ(prog.receivedBytes(), megabyte);
    EXPECT_GE(prog.w.lbrx()->count(), (1 << 20) / 65536) << "a burst is cut at the byte limit";
    for (int i = 0; i < prog.w.lbrx()->count(); ++i)
        EXPECT_LE(prog.w.lbrx()->lineBytes(i).size(), 65536) << "line " << i;
    EXPECT_EQ(prog.w.lb2()->count(), prog.w.lbrx()->count()) << "one command-line entry per burst";
    EXPECT_EQ(prog.w.lbrx()->currentLine(), prog.w.lbrx()->count() - 1);
    // Once the flood is over, the timer is back at its normal interval.
    ASSERT_TRUE(testsupport::waitUntil([&] { return prog.conversation.pollTimer().interval() == 50; }, 5s));
    EXPECT_TRUE(prog.box.texts.empty());
}
