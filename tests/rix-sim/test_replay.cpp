// SPDX-License-Identifier: GPL-3.0-or-later
// --replay on a made-up clock: which recorded write a command is, what goes out when, the
// lost line and the end.
#include "rixsim/replay/replay.h"
#include "rixsim/replay/replayscript.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using rixsim::Clock;
using rixsim::Replay;
using rixsim::ReplayScript;
using std::chrono::milliseconds;

const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);

// A session at 4800 as the window records it: connected at 18:00:01, F0 read (its echo and
// answer 40 ms after the write), an alarm the unit sends on its own, TR1 pressed and let go
// (the release answered), the line lost at 18:00:14.
const char *const session =
    "# 2026-12-07 18:00:00.000 Mitschnitt begonnen (rix-term 1.0.0), nicht verbunden\n"
    "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:4800,n,8,1\n"
    "> 2026-12-07 18:00:02.000\t$RSRF0\n"
    "< 2026-12-07 18:00:02.040\t$RSRF0SRF0F011\\r\\n\n"
    "2026-12-07 18:00:02.061\t$RSRF0\tF011\n"
    "< 2026-12-07 18:00:05.000\t\\x1B[1mALARM\\x07\\r\\n\n"
    "2026-12-07 18:00:05.021\t\t\\x1B[1mALARM\\x07\n"
    "> 2026-12-07 18:00:06.000\t$RSE1\n"
    "> 2026-12-07 18:00:06.100\t$RSEA\n"
    "# 2026-12-07 18:00:06.100 Keine Antwort auf „$RSE1“ (gesendet 18:00:06.000) vor dem nächsten Senden\n"
    "< 2026-12-07 18:00:06.150\t$RSEASEA\\r\\n\n"
    "# 2026-12-07 18:00:14.000 Verbindung unterbrochen (Fehler 1002): Die Verbindung zu /dev/pts/3 ist abgerissen.\n";

std::shared_ptr<const ReplayScript> scriptOf(const char *recording)
{
    return std::make_shared<const ReplayScript>(ReplayScript::fromRecording(recording));
}

// What the program does, at a moment after the line was first opened.
struct Step {
    int atMs;
    const char *command;   // nullptr: the program opens the line
};

// What came of it: each burst put on the line and when (ms after t0), what each command was
// taken for, and when the line was pulled. A burst goes out 3 ms before the recorded moment the
// program took it (it was on the line by then); the line is pulled at its moment.
struct Played {
    std::vector<std::pair<std::string, int>> sent;
    std::vector<std::string> heard;   // "answered", "silent", "unit", "stop"
    std::optional<int> lostAt;
    bool atEnd = false;
};

int msAfterT0(Clock::time_point at)
{
    return int(std::chrono::duration_cast<milliseconds>(at - t0).count());
}

Played play(const char *recording, std::vector<Step> steps, Replay::OnMismatch onMismatch = Replay::OnMismatch::Silent)
{
    Replay replay(scriptOf(recording), onMismatch, false);
    replay.lineOpened(t0);
    Played played;
    rixsim::SendQueue queue;
    const auto runTo = [&](Clock::time_point until) {
        for (std::optional<Clock::time_point> next = replay.deadline(); next && *next <= until && !played.lostAt;
             next = replay.deadline()) {
            replay.queueDue(queue, *next);
            while (!queue.empty()) {
                const rixsim::Send send = queue.finishFront(*next);
                played.sent.emplace_back(send.bytes, msAfterT0(send.due));
            }
            if (replay.lineLostDue(*next))
                played.lostAt = msAfterT0(*next);
        }
    };
    for (const Step &step : steps) {
        const Clock::time_point at = t0 + milliseconds(step.atMs);
        runTo(at);
        if (!step.command) {
            replay.lineOpened(at);
            continue;
        }
        const Replay::Heard heard = replay.heard(step.command, at);
        played.heard.push_back(heard.stop ? "stop" : heard.unitAnswers ? "unit" : heard.note.find("as recorded") != std::string::npos ? "answered" : "silent");
    }
    runTo(t0 + std::chrono::hours(1));
    played.atEnd = replay.atEnd();
    return played;
}

using Sent = std::vector<std::pair<std::string, int>>;
using Heard = std::vector<std::string>;

struct Row {
    const char *what;
    std::vector<Step> steps;
    Replay::OnMismatch onMismatch;
    Sent sent;
    Heard heard;
    std::optional<int> lostAt;
    bool atEnd;
};

std::ostream &operator<<(std::ostream &out, const Row &row) { return out << row.what; }

class ReplayPlays : public ::testing::TestWithParam<Row> {};

TEST_P(ReplayPlays, TheRecordedBurstsAtTheirTimes)
{
    const Row &row = GetParam();
    const Played played = play(session, row.steps, row.onMismatch);
    EXPECT_EQ(played.sent, row.sent);
    EXPECT_EQ(played.heard, row.heard);
    EXPECT_EQ(played.lostAt, row.lostAt);
    EXPECT_EQ(played.atEnd, row.atEnd);
}

const std::string alarm = "\x1b[1mALARM\x07\r\n";
constexpr auto silent = Replay::OnMismatch::Silent;

INSTANTIATE_TEST_SUITE_P(Session, ReplayPlays, ::testing::Values(
    // The alarm 4 s after the connect and the loss 13 s after it, whatever the program does.
    Row{"nothing asked: the unasked burst and the lost line", {}, silent,
        {{alarm, 3997}}, {}, 13000, false},
    // F0 sent later than recorded: its answer follows it by the recorded 40 ms (less the lead).
    Row{"a matching command", {{3000, "$RSRF0"}}, silent,
        {{"$RSRF0SRF0F011\r\n", 3037}, {alarm, 3997}}, {"answered"}, 13000, false},
    Row{"a different one, silent", {{1000, "$RSRF1"}}, silent, {{alarm, 3997}}, {"silent"}, 13000, false},
    Row{"a different one, the simulated unit answers", {{1000, "$RSRF1"}}, Replay::OnMismatch::Unit,
        {{alarm, 3997}}, {"unit"}, 13000, false},
    Row{"a different one, stop", {{1000, "$RSRF1"}}, Replay::OnMismatch::Stop, {{alarm, 3997}}, {"stop"}, 13000, false},
    // A write that went unanswered has nothing to send; the release's answer follows it.
    Row{"the key, pressed and let go", {{500, "$RSRF0"}, {4500, "$RSE1"}, {4700, "$RSEA"}}, silent,
        {{"$RSRF0SRF0F011\r\n", 537}, {alarm, 3997}, {"$RSEASEA\r\n", 4747}}, {"answered", "answered", "answered"},
        13000, false},
    // Both writes in one piece, as a press and release within the quiet gap come: each is
    // answered at its recorded distance, the release's 50 ms (less the lead) after the
    // command's last byte.
    Row{"two writes taken together", {{100, "$RSRF0"}, {200, "$RSE1$RSEA"}}, silent,
        {{"$RSRF0SRF0F011\r\n", 137}, {"$RSEASEA\r\n", 247}, {alarm, 3997}}, {"answered", "answered"}, 13000, false},
    // The release first: the writes before it in the recording are passed over for good.
    Row{"a later write passes over the earlier", {{100, "$RSEA"}, {200, "$RSRF0"}}, silent,
        {{"$RSEASEA\r\n", 147}, {alarm, 3997}}, {"answered", "silent"}, 13000, false}));

TEST(ReplayEnd, AfterTheLastWriteAndBurstTheUnitFallsSilentWhateverTheMismatchChoice)
{
    const char *const recording =
        "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:19200,n,8,1\n"
        "> 2026-12-07 18:00:02.000\t$RSV\n"
        "< 2026-12-07 18:00:02.011\tSVrix-sim 1.0\\r\\n\n"
        "# 2026-12-07 18:00:03.000 Getrennt\n";
    const Played played = play(recording, {{50, "$RSV"}, {1000, "$RSV"}}, Replay::OnMismatch::Unit);
    EXPECT_EQ(played.sent, (Sent{{"SVrix-sim 1.0\r\n", 58}}));
    EXPECT_EQ(played.heard, (Heard{"answered", "silent"}));
    EXPECT_TRUE(played.atEnd);
    EXPECT_FALSE(played.lostAt.has_value());

    Replay replay(scriptOf(recording), Replay::OnMismatch::Silent, true);
    replay.lineOpened(t0);
    EXPECT_FALSE(replay.atEnd()) << "the write has not come";
    EXPECT_TRUE(replay.stopsAtEnd());
    const Replay::Heard heard = replay.heard("$RSV", t0 + milliseconds(10));
    EXPECT_EQ(heard.note, "replay: write 1 of 1 as recorded");
    EXPECT_FALSE(replay.atEnd()) << "its answer is still to go";
    rixsim::SendQueue queue;
    replay.queueDue(queue, t0 + milliseconds(21));
    EXPECT_TRUE(replay.atEnd());
    EXPECT_EQ(replay.takeNotes().back(), "replay: the recording's end, stopping");
    EXPECT_EQ(replay.heard("$RSV", t0 + milliseconds(30)).note, "replay: after the recording's end: $RSV, not answered");
}

TEST(ReplayConnections, EachConnectionBeginsWithTheNextOpenAndAWriteBeginsOneThatHadNone)
{
    const char *const recording =
        "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:19200,n,8,1\n"
        "< 2026-12-07 18:00:01.500\tEINS\\r\\n\n"
        "# 2026-12-07 18:00:02.000 Getrennt\n"
        "# 2026-12-07 18:10:00.000 Verbunden: (S) /dev/pts/3:19200,n,8,1\n"
        "< 2026-12-07 18:10:00.300\tZWEI\\r\\n\n"
        "> 2026-12-07 18:10:01.000\t$RSV\n"
        "< 2026-12-07 18:10:01.020\tSVx\\r\\n\n"
        "< 2026-12-07 18:10:03.000\tDREI\\r\\n\n";
    // The second open, ten seconds on, begins the second connection.
    EXPECT_EQ(play(recording, {{10000, nullptr}}).sent,
              (Sent{{"EINS\r\n", 497}, {"ZWEI\r\n", 10297}, {"DREI\r\n", 12997}}));
    // Without a second open (a device), its write begins it: what came before the write is
    // past, what came after it follows at its distance.
    EXPECT_EQ(play(recording, {{5000, "$RSV"}}).sent,
              (Sent{{"EINS\r\n", 497}, {"SVx\r\n", 5017}, {"DREI\r\n", 6997}}));
}

TEST(ReplayScript, AnAnswerIsWhatBeganWithinTheWindowOfItsWriteOrOfTheBurstBefore)
{
    const ReplayScript script = ReplayScript::fromRecording(
        "# 2026-12-07 18:00:00.000 Mitschnitt begonnen (rix-term 1.0.0), verbunden: (S) /dev/pts/3:19200,n,8,1\n"
        "> 2026-12-07 18:00:01.000\t$RSRF0\n"
        "< 2026-12-07 18:00:01.900\tTEIL1\n"
        "< 2026-12-07 18:00:02.800\tTEIL2\n"
        "2026-12-07 18:00:02.821\t$RSRF0\tTEIL1TEIL2\n"
        "< 2026-12-07 18:00:03.801\tALLEIN\\r\\n\n"
        "> 2026-12-07 18:00:04.000\t$RSV\n"
        "< 2026-12-07 18:00:05.001\tSPAET\\r\\n\n");
    ASSERT_EQ(script.writes.size(), 2u);
    ASSERT_EQ(script.writes[0].answer.size(), 2u);
    EXPECT_EQ(script.writes[0].answer[0].bytes, "TEIL1");
    EXPECT_EQ(script.writes[0].answer[0].at, milliseconds(900));
    EXPECT_EQ(script.writes[0].answer[1].at, milliseconds(1800)) << "chained: 900 ms after the burst before";
    EXPECT_EQ(script.writes[0].at, milliseconds(1000)) << "a recording begun while connected starts its connection";
    EXPECT_TRUE(script.writes[1].answer.empty()) << "1001 ms is past the window";
    ASSERT_EQ(script.connections.size(), 1u);
    ASSERT_EQ(script.connections[0].unasked.size(), 2u);
    EXPECT_EQ(script.connections[0].unasked[0].bytes, "ALLEIN\r\n");
    EXPECT_EQ(script.connections[0].unasked[0].at, milliseconds(3801));
    EXPECT_EQ(script.connections[0].unasked[1].bytes, "SPAET\r\n");
    EXPECT_TRUE(script.problems.empty());
}

TEST(ReplayScript, ADamagedLineIsNamedAndSkippedAndAnEditorsLineEndsAreRead)
{
    const ReplayScript script = ReplayScript::fromRecording(
        "# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\r\n"
        "> 2026-12-07 18:00:02.000\t$RSRF0\r\n"
        "Das ist keine Zeile eines Mitschnitts\n"
        "< 2026-12-07 18:00:0x.040\tSRF0F011\n"
        "< 2026-12-07 18:00:02.040\tSRF0\\qF011\n"
        "< 2026-12-07 18:00:02.050\tSRF0F011\\r\\n\r\n");
    EXPECT_EQ(script.problems, (std::vector<std::string>{"line 3: not a line of a recording",
                                                         "line 4: not a line of a recording",
                                                         "line 5: not a line of a recording"}));
    EXPECT_EQ(script.linesRead, 3u);
    ASSERT_EQ(script.writes.size(), 1u);
    EXPECT_EQ(script.writes[0].bytes, "$RSRF0");
    ASSERT_EQ(script.writes[0].answer.size(), 1u);
    EXPECT_EQ(script.writes[0].answer[0].bytes, "SRF0F011\r\n");
}

TEST(ReplayScript, ACommandIsTheNextWriteWithItsBytesOrSeveralInARow)
{
    const ReplayScript script = ReplayScript::fromRecording(
        "# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\n"
        "> 2026-12-07 18:00:02.000\t$RSE1\n"
        "> 2026-12-07 18:00:02.010\t$RSEA\n"
        "> 2026-12-07 18:00:03.000\t$RSRF0\n"
        "> 2026-12-07 18:00:04.000\t$RSE1\n");
    const auto match = [&](const char *command, std::size_t from) {
        const auto m = script.match(command, from);
        return m ? std::to_string(m->first) + "-" + std::to_string(m->last) : std::string("none");
    };
    EXPECT_EQ(match("$RSE1", 0), "0-0");
    EXPECT_EQ(match("$RSE1", 1), "3-3") << "the next one with these bytes";
    EXPECT_EQ(match("$RSE1$RSEA", 0), "0-1");
    EXPECT_EQ(match("$RSE1$RSEA$RSRF0", 0), "0-2");
    EXPECT_EQ(match("$RSEA$RSE1", 0), "none") << "not in the recorded order";
    EXPECT_EQ(match("$RSE", 0), "none") << "a part of a write is none";
    EXPECT_EQ(match("$RSRF0", 3), "none");
    EXPECT_EQ(match("", 0), "none");
}

} // namespace
