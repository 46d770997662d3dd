// SPDX-License-Identifier: GPL-3.0-or-later
// A unit that talks: a text of 40 lines a few ms apart (one text: no gap reaches the quiet
// time), and a unit that never pauses. What a user does in the middle never cuts the unit's
// text, and a command's answer stands on a line of its own.
#include "liveunit.h"

#include "rixsim/faults/textlines.h"
#include "support/filelines.h"
#include "unit/files/recordformat.h"
#include "widgets/lineview.h"
#include "window/app/dispatch.h"
#include "window/recording/recordinghandlers.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace e2e;
using namespace testsupport;
using Lines = std::vector<QByteArray>;
using namespace std::chrono_literals;

namespace {
constexpr int textLines = 40;

// The 40-line text as lbrx shows it after F0's command ($RSRF0: L - 2 = 4 skipped).
QByteArray textAfterF0()
{
    QByteArray all;
    for (int n = 1; n <= textLines; ++n)
        all += QByteArray::fromStdString(rixsim::TextLines::line(n)).chopped(2);
    return all.mid(4);
}

struct MidTextCase {
    const char *name;
    std::function<void(LiveProgram &)> act;   // done while the unit is in the middle of its text
    std::vector<std::string> commands;         // what the unit receives after F0
    Lines lbrx;                                // after the F0 answer
    Lines lb2;
};

class TalkingUnit : public LiveUnit, public ::testing::WithParamInterface<MidTextCase> {
protected:
    // F0 first, so the command line holds "$RSRF0" and the flag is 1; then the unit's text
    // comes, and the row's action at its 12th line.
    void runRow()
    {
        rixsim::TransportOptions options;
        options.textLines = {textLines, 5ms, 2500ms};
        startUnit(options);
        connectProgram();
        program.click(program.w.cmdF0());
        ASSERT_TRUE(listHas(program.w.lbrx(), 1));
        ASSERT_TRUE(waitUntil([&] { return linesSent() >= 12; }, 5s));
        GetParam().act(program);
        ASSERT_TRUE(waitUntil([&] { return linesSent() >= textLines; }, 5s));
        runEventsFor(600ms);
    }
    // The longest pause the unit made inside its text: a loaded machine can hold the
    // simulator's thread past the quiet time, and then the text is two by right.
    double longestPauseInTextMs() const
    {
        std::vector<TrafficEvent> text;
        for (TrafficEvent &event : eventsOf(sim->log(), TrafficEvent::Kind::Sent))
            if (event.bytes.rfind("LINE", 0) == 0 && text.size() < std::size_t(textLines))
                text.push_back(std::move(event));
        return longestQuietBetweenMs(text);
    }
    int linesSent() const
    {
        int lines = 0;
        for (const TrafficEvent &event : eventsOf(sim->log(), TrafficEvent::Kind::Sent))
            lines += event.bytes.rfind("LINE", 0) == 0;
        return lines;
    }
};

Lines rest(const Lines &lines) { return Lines(lines.begin() + 1, lines.end()); }
} // namespace

TEST_P(TalkingUnit, NoActionInTheMiddleCutsTheText)
{
    runRow();
    if (const double pause = longestPauseInTextMs(); pause >= 15.0)
        GTEST_SKIP() << "the simulated unit paused " << pause << " ms inside its text on this loaded machine";
    const MidTextCase &row = GetParam();
    std::vector<std::string> expected{"$RSRF0"};
    expected.insert(expected.end(), row.commands.begin(), row.commands.end());
    EXPECT_EQ(received(), expected);
    EXPECT_EQ(rest(linesOf(*program.w.lbrx())), row.lbrx);
    EXPECT_EQ(rest(linesOf(*program.w.lb2())), row.lb2);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TalkingUnit,
    ::testing::Values(
        MidTextCase{"ALampClick", [](LiveProgram &p) { p.click(p.w.lblrx6()); }, {}, {textAfterF0()}, {"$RSRF0"}},
        MidTextCase{"AKeyTypedIntoTheCommandLine",
                    [](LiveProgram &p) {
                        p.w.ed1()->setFocus();
                        p.w.ed1()->end(false);
                        QTest::keyClick(p.w.ed1(), Qt::Key_X);
                    },
                    {},
                    {textAfterF0()},
                    {"$RSRF0"}},
        MidTextCase{"F3Pressed", [](LiveProgram &p) { p.click(p.w.cmdF3()); }, {"$RSRF3"}, {textAfterF0(), "0E28"},
                    {"$RSRF0", "$RSRF3"}},
        MidTextCase{"F1ThenF2Pressed",
                    [](LiveProgram &p) {
                        p.click(p.w.cmdF1());
                        p.click(p.w.cmdF2());
                    },
                    {"$RSRF1", "$RSRF2"},
                    {textAfterF0(), "0A00", "1212"},
                    {"$RSRF0", "$RSRF1", "$RSRF2"}}),
    [](const ::testing::TestParamInfo<MidTextCase> &info) { return std::string(info.param.name); });

class NeverPausingUnit : public LiveUnit {};

TEST_F(NeverPausingUnit, IsShownAtLeastOnceASecondAtItsLineEndsAndAnAnswerIntoItStandsAlone)
{
    rixsim::TransportOptions options;
    options.sendEvery = 10ms;   // 13 bytes take 6.8 ms at 19200: never a 20 ms pause
    options.sendEveryText = "STATUS 3 OK\r\n";
    startUnit(options);
    connectProgram();
    const auto connectedAt = Clock::now();
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    const double firstShownMs = millisecondsBetween(connectedAt, Clock::now());
    EXPECT_LT(firstShownMs, 3000.0) << "the unit looked dead";
    std::printf("[figure] a unit that never pauses: first line after %.0f ms\n", firstShownMs);
    const QByteArray first = program.w.lbrx()->lineBytes(0);

    program.click(program.w.cmdF0());
    const auto hasAnswer = [&] {
        const Lines lines = linesOf(*program.w.lbrx());
        return std::find(lines.begin(), lines.end(), QByteArray("F011")) != lines.end();
    };
    const bool answerAlone = waitUntil(hasAnswer, 5s);
    runEventsFor(1500ms);
    if (const double pause = longestQuietBetweenMs(eventsOf(sim->log(), TrafficEvent::Kind::Sent)); pause >= 15.0)
        GTEST_SKIP() << "the simulated unit paused " << pause << " ms on this loaded machine";
    EXPECT_EQ(first.size() % 11, 0) << "cut inside a line: " << first.toStdString();
    EXPECT_EQ(first, QByteArray("STATUS 3 OK").repeated(first.size() / 11));
    EXPECT_TRUE(answerAlone) << "no line holds the answer alone";
    // Every other line is the unit's, whole: never "US 3 OK" from a skip rule meant for the answer.
    for (const QByteArray &line : linesOf(*program.w.lbrx())) {
        EXPECT_FALSE(line.contains("SRF0")) << line.toStdString();
        if (line != "F011") {
            EXPECT_EQ(line, QByteArray("STATUS 3 OK").repeated(line.size() / 11)) << line.toStdString();
        }
    }
}

// TR1 held for 0.1 s in the middle of the 40-line text: the key goes within 25 ms (at a line
// end), and the text is shown as it would have been without it, one line, with the unit's
// answers to the key where they came; in the lists and in the recording alike.
class KeyDuringText : public LiveUnit, public ::testing::WithParamInterface<const char *> {};

TEST_P(KeyDuringText, LeavesEveryLineOfTheTextWholeAtBothRates)
{
    const QString baud = QString::fromLatin1(GetParam());
    const bool at4800 = baud == QStringLiteral("4800");
    rixsim::TransportOptions options;
    options.textLines = {textLines, 5ms, 2500ms};
    startUnit(options, at4800);
    connectProgram(baud);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
    dispatch(program.p, [&path](Program &p) { recordingStart(p, path); });
    program.click(program.w.cmdF0());
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    const auto linesSent = [&] {
        int lines = 0;
        for (const TrafficEvent &event : eventsOf(sim->log(), TrafficEvent::Kind::Sent))
            lines += event.bytes.find("LINE") != std::string::npos;
        return lines;
    };
    ASSERT_TRUE(waitUntil([&] { return linesSent() >= 12; }, 5s));
    program.press(program.w.cmdTR1());
    runEventsFor(100ms);
    program.release(program.w.cmdTR1());
    ASSERT_TRUE(waitUntil([&] { return linesSent() >= textLines; }, 5s));
    runEventsFor(600ms);
    dispatch(program.p, recordingStop);

    EXPECT_EQ(received(), (std::vector<std::string>{"$RSRF0", "$RSE1", "$RSEA"}));
    // The text as the rules show it without a key: after F0's command the first L - 2
    // characters go, at 4800 the L of the command sent back before them too.
    QByteArray text;
    for (int n = 1; n <= textLines; ++n)
        text += QByteArray::fromStdString(rixsim::TextLines::line(n)).chopped(2);
    text = text.mid(at4800 ? 10 : 4);
    const Lines shown = rest(linesOf(*program.w.lbrx()));
    ASSERT_EQ(shown.size(), 1u) << "the text was cut";
    QByteArray withoutKeys = shown[0];
    for (const char *answer : {"$RSE1SE1", "$RSEASEA", "SE1", "SEA"})
        withoutKeys.replace(answer, "");
    EXPECT_EQ(withoutKeys, text);
    // Each key's answer once, at 4800 after the command it sends back.
    EXPECT_EQ(shown[0].count(at4800 ? "$RSE1SE1" : "SE1"), 1) << shown[0].toStdString();
    EXPECT_EQ(shown[0].count(at4800 ? "$RSEASEA" : "SEA"), 1) << shown[0].toStdString();
    EXPECT_EQ(rest(linesOf(*program.w.lb2())), Lines{"$RSRF0"});

    // The recording's shown records are the lists' lines.
    Lines recordedAnswers;
    for (const QByteArray &line : fileLines(path))
        if (const auto record = recordformat::readRecord(line); record && record->kind == recordformat::Record::Kind::Shown)
            recordedAnswers.push_back(record->answer);
    EXPECT_EQ(recordedAnswers, linesOf(*program.w.lbrx()));
}

INSTANTIATE_TEST_SUITE_P(Rates, KeyDuringText, ::testing::Values("19200", "4800"));
