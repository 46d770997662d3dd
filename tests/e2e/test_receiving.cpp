// SPDX-License-Identifier: GPL-3.0-or-later
// What the unit sends reaching the lists: a split answer, and a flood without gaps.
#include "liveunit.h"

#include "rixsim/flood.h"
#include "widgets/lineview.h"

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

using namespace e2e;
using namespace testsupport;
using Lines = std::vector<QByteArray>;
using namespace std::chrono_literals;

namespace {
std::string withoutLineEnds(std::string text)
{
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }), text.end());
    return text;
}

// The lines of a list joined without their line ends, taken as they come: a flood gives
// megabytes, too many to join again at every check.
class JoinedLines {
public:
    explicit JoinedLines(const LineView &list) : list_(list) {}
    const std::string &update()
    {
        for (; taken_ < list_.count(); ++taken_) {
            const QByteArray line = list_.lineBytes(taken_);
            text_ += withoutLineEnds(std::string(line.constData(), std::size_t(line.size())));
        }
        return text_;
    }

private:
    const LineView &list_;
    int taken_ = 0;
    std::string text_;
};

// The number of lines the flood wrote, from its closing note; 0 while it runs.
std::uint64_t floodLinesWritten(const rixsim::TrafficLog &log)
{
    const std::string marker = "flood finished after ";
    for (const auto &event : eventsOf(log, TrafficEvent::Kind::Note))
        if (event.bytes.rfind(marker, 0) == 0)
            return std::stoull(event.bytes.substr(marker.size()));
    return 0;
}
} // namespace

class ReceivingFromTheUnit : public LiveUnit {};

TEST_F(ReceivingFromTheUnit, AnswerSplitByAGapGivesTwoLines)
{
    // The answer comes after the send button's pause, so the poll is running when it
    // arrives. A first half may wait up to one timer interval plus one empty read before
    // a tick takes it, and the burst ends 20 ms after it; the gap must outlast both.
    rixsim::TransportOptions options;
    options.answerDelay = 400ms;
    options.splitGap = 200ms;
    startUnit(options);
    connectProgram();

    program.typeCommandLine(QStringLiteral("$RSRF0"));
    program.click(program.w.cmdSendentx());
    ASSERT_TRUE(listHas(program.w.lbrx(), 2));

    const auto sent = eventsOf(sim->log(), TrafficEvent::Kind::Sent);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes + sent[1].bytes, "SRF0F011\r\n");
    EXPECT_EQ(linesOf(*program.w.lbrx()), (Lines{"SRF0F", "011"}));
    EXPECT_EQ(linesOf(*program.w.lb2()), (Lines{"$RSRF0", "$RSRF0"}));
}

TEST_F(ReceivingFromTheUnit, FloodIsCutIntoLinesWithoutLosingAByte)
{
    rixsim::TransportOptions options;
    options.flood = 1000ms;
    options.paced = false;   // a device that sends without any pause, as fast as the line takes it
    startUnit(options);
    connectProgram();

    // How long the event loop goes without running a 10 ms timer while the flood is read.
    QTimer probe;
    auto lastTick = Clock::now();
    double longestStall = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestStall = std::max(longestStall, millisecondsBetween(lastTick, now));
        lastTick = now;
    });
    probe.start(10);

    ASSERT_TRUE(waitUntil([&] { return floodLinesWritten(sim->log()) > 0; }, 10s));
    const std::uint64_t lines = floodLinesWritten(sim->log());
    std::string expected;
    for (std::uint64_t n = 1; n <= lines; ++n)
        expected += rixsim::floodLine(n);
    expected = withoutLineEnds(expected);
    // Building the expected text above ran outside the event loop; that is the test's time,
    // not a stall of the program's.
    lastTick = Clock::now();

    LineView *lbrx = program.w.lbrx();
    JoinedLines joined(*lbrx);
    ASSERT_TRUE(waitUntil([&] { return joined.update().size() >= expected.size(); }, 20s))
        << "shown " << joined.update().size() << " of " << expected.size() << " bytes";
    probe.stop();

    const std::string &shown = joined.update();
    const auto mismatch = std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end());
    EXPECT_TRUE(shown == expected) << "first difference at byte " << (mismatch.first - shown.begin()) << " of "
                                   << expected.size();
    EXPECT_GE(lbrx->count(), 3) << "a burst without a gap must be cut into several lines";
    EXPECT_EQ(lbrx->count(), program.w.lb2()->count());
    EXPECT_TRUE(program.connected());
    EXPECT_LT(longestStall, 1000.0);
    std::printf("[figure] flood: %llu lines, %zu bytes, %d lines in lbrx, longest event-loop stall %.0f ms\n",
                static_cast<unsigned long long>(lines), expected.size(), lbrx->count(), longestStall);
}
