// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/receiveengine.h"

#include <gtest/gtest.h>

namespace {
using Context = ReceiveEngine::Context;

// The lbrx lines of what was shown; "-" for a piece whose answer part was blank.
std::vector<std::string> answers(const ReceiveEngine::Shown &shown)
{
    std::vector<std::string> lines;
    for (const auto &piece : shown)
        lines.push_back(piece.answer ? *piece.answer : "-");
    return lines;
}

// One burst as a whole: its bytes, then the quiet time.
std::vector<std::string> burst(const std::string &bytes, const Context &context)
{
    ReceiveEngine engine;
    engine.add(bytes, context);
    return answers(engine.quiet());
}

using Lines = std::vector<std::string>;
} // namespace

TEST(ReceiveEngine, FirstByteOfATextIsKeptLaterLineEndsAreDropped)
{
    EXPECT_EQ(burst("\rAB\r\nC\n", {"", "19200", 0}), Lines{"\rABC"});
    EXPECT_EQ(burst("\n\r", {"", "19200", 0}), Lines{"\n"});
    EXPECT_EQ(burst("AB\r\n", {"x", "19200", 0}), Lines{"AB"});
    // Bytes handed in one at a time give the same text.
    ReceiveEngine engine;
    for (const char c : std::string("\rAB\r\nC\n"))
        engine.add(std::string(1, c), {"", "19200", 0});
    EXPECT_EQ(answers(engine.quiet()), Lines{"\rABC"});
}

TEST(ReceiveEngine, WhereTheShownLineStartsForEachBaudAndFlag)
{
    // L = 6; the burst is numbered so each start can be read off.
    const std::string bytes = "123456789ABCDEFG";
    EXPECT_EQ(burst(bytes, {"$RSRF0", "4800", 0}), Lines{"789ABCDEFG"});          // L + 1
    EXPECT_EQ(burst(bytes, {"$RSRF0", "4800", 1}), Lines{"BCDEFG"});              // 2L - 1
    EXPECT_EQ(burst(bytes, {"$RSRF0", "19200", 0}), Lines{"123456789ABCDEFG"});   // 1
    EXPECT_EQ(burst(bytes, {"$RSRF0", "19200", 1}), Lines{"56789ABCDEFG"});       // L - 1
    // Only "4800" exactly is the echoing rate.
    EXPECT_EQ(burst(bytes, {"$RSRF0", "04800", 0}), Lines{"123456789ABCDEFG"});
    EXPECT_EQ(burst(bytes, {"$RSRF0", "4800 ", 0}), Lines{"123456789ABCDEFG"});
    // A command line shorter than two characters starts at the first character.
    EXPECT_EQ(burst("XYZ", {"", "19200", 1}), Lines{"XYZ"});
    EXPECT_EQ(burst("XYZ", {"Q", "19200", 1}), Lines{"XYZ"});
    EXPECT_EQ(burst("XYZ", {"", "4800", 1}), Lines{"XYZ"});
    // Not blank, but the line starts past the end: an empty line.
    EXPECT_EQ(burst("AB", {"$RSRF0", "19200", 1}), Lines{""});

    ReceiveEngine engine;
    engine.add(bytes, {"$RSRF0", "4800", 1});
    const ReceiveEngine::Shown shown = engine.quiet();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].displayStart, 7);
    EXPECT_EQ(shown[0].commandLine, "$RSRF0");
}

TEST(ReceiveEngine, ABlankAnswerPartLogsTheCommandLineButShowsNoAnswer)
{
    EXPECT_EQ(burst("     ", {"", "19200", 0}), Lines{"-"});
    EXPECT_EQ(burst("$RSRF0   ", {"$RSRF0", "4800", 1}), Lines{"-"});   // the echo alone
    EXPECT_EQ(burst("$RSRF0", {"$RSRF0", "4800", 0}), Lines{"-"});
    EXPECT_EQ(burst("\t", {"", "19200", 0}), Lines{"\t"});               // a TAB is content
    EXPECT_EQ(burst("  AB  ", {"", "19200", 0}), Lines{"  AB  "});       // not trimmed
}

TEST(ReceiveEngine, ATextIsSplitAtExactly65536Bytes)
{
    const Context typed{"typed", "19200", 0};
    ReceiveEngine engine;
    EXPECT_TRUE(engine.add(std::string(65536, 'A'), typed).empty());
    EXPECT_EQ(answers(engine.quiet()), Lines{std::string(65536, 'A')});

    const ReceiveEngine::Shown first = engine.add(std::string(65537, 'B'), typed);
    EXPECT_EQ(answers(first), Lines{std::string(65536, 'B')});
    EXPECT_EQ(answers(engine.quiet()), Lines{"B"});
    // Dropped line ends do not count.
    EXPECT_TRUE(engine.add(std::string(65536, 'C') + "\r\n", typed).empty());
    EXPECT_EQ(answers(engine.quiet()), Lines{std::string(65536, 'C')});
}

TEST(ReceiveEngine, APieceAfterTheByteLimitIsShownFromItsFirstByteAndBlankTested)
{
    // At 4800 after a button only the first piece loses the echo and the repeated address.
    const Context f0{"$RSRF0", "4800", 1};
    ReceiveEngine engine;
    std::string text = "$RSRF0SRF0" + std::string(65526, 'x') + "\rCDE";
    const ReceiveEngine::Shown first = engine.add(text, f0);
    EXPECT_EQ(answers(first), Lines{std::string(65526, 'x')});
    EXPECT_EQ(answers(engine.quiet()), Lines{"CDE"}) << "the line end after the split is dropped";

    // 65,536 x "A" and 100 blanks: the blank piece logs its lb2 line and shows no answer.
    const Context typed{"abc", "19200", 0};
    engine.add(std::string(65536, 'A') + std::string(100, ' '), typed);
    const ReceiveEngine::Shown rest = engine.quiet();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].commandLine, "abc");
    EXPECT_FALSE(rest[0].answer.has_value());
}

TEST(ReceiveEngine, ATextIsShownUnderTheContextOfItsFirstByte)
{
    // The command line changed (a key typed, a write prepared) while the text came in.
    ReceiveEngine engine;
    engine.add("SRF0", {"$RSRF0", "19200", 1});
    engine.add("F011\r\n", {"$RSPF01234x", "19200", 0});
    const ReceiveEngine::Shown shown = engine.quiet();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].commandLine, "$RSRF0");
    EXPECT_EQ(shown[0].answer, "F011");
    // The next text takes its own.
    engine.add("abcdef", {"xy", "4800", 0});
    EXPECT_EQ(answers(engine.quiet()), Lines{"cdef"});
}

TEST(ReceiveEngine, AUnitThatNeverPausesIsShownUpToItsLastLineEnd)
{
    const Context typed{"typed", "19200", 0};
    ReceiveEngine engine;
    engine.add("LINE01\r\nLINE02\r\nLI", typed);
    EXPECT_EQ(answers(engine.showToLastLineEnd()), Lines{"LINE01LINE02"});
    EXPECT_TRUE(engine.isOpen()) << "the rest of the line goes on";
    // Without a line end since, nothing is cut; the rest is shown whole, as the same text.
    engine.add("NE", typed);
    EXPECT_TRUE(engine.showToLastLineEnd().empty());
    engine.add("03\r\n", typed);
    EXPECT_EQ(answers(engine.showToLastLineEnd()), Lines{"LINE03"});
    EXPECT_TRUE(engine.awaitsContinuation()) << "cut right at a line end: the next bytes continue";
    engine.add("   ", typed);
    EXPECT_EQ(answers(engine.quiet()), Lines{"-"}) << "a continuation of blanks: its lb2 line only";
    EXPECT_FALSE(engine.awaitsContinuation());
}

TEST(ReceiveEngine, ACommandIntoAStreamGoesAtALineEndAndItsAnswerStandsAlone)
{
    // F3 pressed while the unit sends LINE22, LINE23 …: the cut lies at the last line end,
    // the rest of LINE23 stays whole, and each line after the command is a text of its own.
    const Context typed{"$RSRF0", "19200", 1};
    const Context f3{"$RSRF3", "19200", 1};
    ReceiveEngine engine;
    engine.add("SRF0F011\r\nLINE22\r\nLIN", typed);
    EXPECT_EQ(answers(engine.cutForCommand()), Lines{"F011LINE22"});
    engine.commandWritten("$RSRF3");
    EXPECT_TRUE(engine.showsLineByLine());
    EXPECT_EQ(answers(engine.add("E23\r\nSRF30E28\r\nLINE24\r\nLI", f3)), (Lines{"LINE23", "0E28", "LINE24"}));
    EXPECT_EQ(answers(engine.quiet()), Lines{"LI"}) << "the unit's own line, whole";
    EXPECT_FALSE(engine.showsLineByLine()) << "the unit paused";

    // At 4800 the echo is in front of the answer on the same line.
    const Context f0at4800{"$RSRF0", "4800", 1};
    engine.add("STATUS 3 OK\r\nSTA", f0at4800);
    engine.cutForCommand();
    engine.commandWritten("$RSRF0");
    EXPECT_EQ(answers(engine.add("TUS 3 OK\r\n$RSRF0SRF0F011\r\n", f0at4800)), (Lines{"STATUS 3 OK", "F011"}));
    engine.endLineByLine();
    EXPECT_EQ(answers(engine.add("STATUS 3 OK\r\nSTATUS 3 OK\r\n", f0at4800)), Lines{}) << "one text again";

    // Without any line end everything goes with the cut; after the command a new text.
    ReceiveEngine noLineEnds;
    noLineEnds.add("UNASKED", typed);
    EXPECT_EQ(answers(noLineEnds.cutForCommand()), Lines{"KED"});
    EXPECT_TRUE(noLineEnds.awaitsContinuation());
    noLineEnds.commandWritten("$RSRF0");
    EXPECT_FALSE(noLineEnds.awaitsContinuation());
    noLineEnds.add("\r\n", {"ab", "19200", 0});
    EXPECT_EQ(answers(noLineEnds.quiet()), Lines{"\r"}) << "a new text keeps its first CR";
}

TEST(ReceiveEngine, AfterACommandIntoATextTheUnitsLinesAreWholeAndOnlyItsAnswerIsSkipped)
{
    // The unit sends LINE13, LINE14 … without a pause; the text is cut at its last line end,
    // the command goes out, and what follows is shown, up to the quiet time.
    struct Row {
        const char *what;
        const char *before;       // up to the cut
        const char *command;
        Context context;          // the command line, rate and flag after the command
        const char *after;
        Lines shown;
    };
    const Row rows[] = {
        {"F0 at 19200", "LINE13\r\nLINE14\r\n", "$RSRF0", {"$RSRF0", "19200", 1},
         "LINE15\r\nSRF0F011\r\nLINE16\r\nLI", {"LINE15", "F011", "LINE16", "LI"}},
        {"F0 at 4800", "LINE13\r\nLINE14\r\n", "$RSRF0", {"$RSRF0", "4800", 1},
         "LINE15\r\n$RSRF0SRF0F011\r\nLINE16\r\n", {"LINE15", "F011", "LINE16"}},
        {"TR1 at 19200", "LINE13\r\nLINE14\r\n", "$RSE1", {"$RSE1", "19200", 1},
         "LINE15\r\nSE1\r\nLINE16\r\n", {"LINE15", "", "LINE16"}},
        {"TR1 at 4800", "LINE13\r\nLINE14\r\n", "$RSE1", {"$RSE1", "4800", 1},
         "LINE15\r\nLINE16\r\n$RSE1SE1\r\nLINE17\r\n", {"LINE15", "LINE16", "", "LINE17"}},
        // A stream that never pauses: its answer alone, cut mid-line, the cut line's rest whole.
        {"F3 into a status stream", "STATUS 3 OK\r\nSTAT", "$R7RF3", {"$R7RF3", "19200", 1},
         "US 3 OK\r\nSTATUS 3 OK\r\n7RF30E28\r\nSTATUS 3 OK\r\nSTA",
         {"STATUS 3 OK", "STATUS 3 OK", "0E28", "STATUS 3 OK", "STA"}},
        // The rest of the cut line came before the command: even shaped as its answer, it is not.
        {"a cut line's rest like an answer", "LINE1\r\nSRF0", "$RSRF0", {"$RSRF0", "19200", 1},
         "F011\r\nLINE2\r\nSRF0F011\r\n", {"SRF0F011", "LINE2", "F011"}},
        // Only one line per command gets the answer's rule.
        {"a second line like the answer", "LINE1\r\n", "$RSRF0", {"$RSRF0", "19200", 1},
         "SRF0F011\r\nSRF0F011\r\nLINE2\r\n", {"F011", "SRF0F011", "LINE2"}},
        // A typed text that is no command has no answer: every line whole, at 4800 too.
        {"a typed text", "LINE1\r\n", "hello", {"hello", "4800", 0},
         "SRF0F011\r\nLINE2\r\nhelloX\r\n", {"SRF0F011", "LINE2", "helloX"}},
        // Blanks alone are still no answer line.
        {"a line of blanks", "LINE1\r\n", "$RSRF0", {"$RSRF0", "4800", 0}, "   \r\nLINE2\r\n", {"-", "LINE2"}},
    };
    for (const Row &row : rows) {
        ReceiveEngine engine;
        engine.add(row.before, {"$RSV", row.context.baudText, 1});
        engine.cutForCommand();
        engine.commandWritten(row.command);
        Lines shown = answers(engine.add(row.after, row.context));
        for (const std::string &line : answers(engine.quiet()))
            shown.push_back(line);
        EXPECT_EQ(shown, row.shown) << row.what;
    }
}

TEST(ReceiveEngine, AUnitLineAfterACommandKeepsItsOwnContextAndTheAnswerItsSkip)
{
    const Context before{"$RSV", "4800", 1};
    const Context f0{"$RSRF0", "4800", 1};
    const Context edited{"$RSPF0", "4800", 0};
    ReceiveEngine engine;
    engine.add("LINE1\r\n", before);
    engine.cutForCommand();
    engine.commandWritten("$RSRF0");
    ReceiveEngine::Shown shown = engine.add("LINE2\r\n$RSRF0SRF0F011\r\n", f0);
    const ReceiveEngine::Shown more = engine.add("LINE3\r\n", edited);
    shown.insert(shown.end(), more.begin(), more.end());
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].commandLine, "$RSRF0");
    EXPECT_EQ(shown[0].displayStart, 1);
    EXPECT_EQ(shown[0].answer, "LINE2");
    EXPECT_EQ(shown[1].commandLine, "$RSRF0");
    EXPECT_EQ(shown[1].displayStart, 7);
    EXPECT_EQ(shown[1].answer, "F011");
    EXPECT_EQ(shown[2].commandLine, "$RSPF0");
    EXPECT_EQ(shown[2].displayStart, 1);
    EXPECT_EQ(shown[2].answer, "LINE3");
}

TEST(ReceiveEngine, ALineBegunOneByOneStaysWholeWhenTheyStopComingSo)
{
    // A second after the command the lines are no longer shown one by one; the line then
    // open is still the unit's own and is shown whole with the lines it runs on into.
    const Context f0{"$RSRF0", "19200", 1};
    ReceiveEngine engine;
    engine.add("LINE14\r\n", {"", "19200", 0});
    engine.cutForCommand();
    engine.commandWritten("$RSRF0");
    EXPECT_EQ(answers(engine.add("LINE15\r\nLI", f0)), Lines{"LINE15"});
    engine.endLineByLine();
    EXPECT_EQ(answers(engine.add("NE16\r\nLINE17\r\n", f0)), Lines{});
    EXPECT_EQ(answers(engine.quiet()), Lines{"LINE16LINE17"});
    // The next text is one under the rules again.
    engine.add("SRF0F011\r\n", f0);
    EXPECT_EQ(answers(engine.quiet()), Lines{"F011"});

    // They stop coming so at a line end, and the unit sends on without a pause: a text of its
    // own, whole.
    engine.add("STATUS 3 OK\r\n", {"", "19200", 0});
    engine.cutForCommand();
    engine.commandWritten("$RSRF0");
    EXPECT_EQ(answers(engine.add("SRF0F011\r\n", f0)), Lines{"F011"});
    engine.endLineByLine();
    engine.add("STATUS 3 OK\r\nSTATUS 3 OK\r\n", f0);
    EXPECT_EQ(answers(engine.quiet()), Lines{"STATUS 3 OKSTATUS 3 OK"});
}

TEST(ReceiveEngine, AKeyAnsweredInsideATextLeavesTheTextsAfterItAsWithoutTheKey)
{
    // TR1 pressed and let go while the unit sends a text; the next text comes after a pause.
    struct Row {
        const char *what;
        const char *baud;
        const char *text;    // the text the keys went into, after both keys
        const char *next;    // the next text
        Lines shown;         // both texts' lbrx lines
    };
    const Row rows[] = {
        {"answered inside, 19200", "19200", "LINE02\r\nSE1\r\nLINE03\r\nSEA\r\nLINE04\r\n", "LINE01\r\nLINE02\r\n",
         {"LINE01LINE02SE1LINE03SEALINE04", "LINE01LINE02"}},
        {"answered inside, 4800", "4800", "LINE02\r\n$RSE1SE1\r\n$RSEASEA\r\nLINE03\r\n", "LINE01\r\n",
         {"LINE01LINE02$RSE1SE1$RSEASEALINE03", "LINE01"}},
        // The release's answer comes after the text: it is the next text, an answer as ever.
        {"one answer after the text", "19200", "LINE02\r\nSE1\r\nLINE03\r\n", "SEA\r\n",
         {"LINE01LINE02SE1LINE03", ""}},
    };
    for (const Row &row : rows) {
        const Context before{"", row.baud, 0};
        const Context afterKeys{"$RSEA", row.baud, 1};
        ReceiveEngine engine;
        Lines shown = answers(engine.add("LINE01\r\n", before));
        engine.keyWritten("$RSE1");
        engine.keyWritten("$RSEA");
        for (const std::string &line : answers(engine.add(row.text, afterKeys)))
            shown.push_back(line);
        for (const std::string &line : answers(engine.quiet()))
            shown.push_back(line);
        engine.add(row.next, afterKeys);
        for (const std::string &line : answers(engine.quiet()))
            shown.push_back(line);
        EXPECT_EQ(shown, row.shown) << row.what;
    }
    // A key between texts: its answer is the next text, under the rules of an answer.
    ReceiveEngine engine;
    engine.keyWritten("$RSE1");
    engine.add("SE1\r\n", {"$RSE1", "19200", 1});
    EXPECT_EQ(answers(engine.quiet()), Lines{""});
}

TEST(ReceiveEngine, ACommandAfterThePauseLeavesItsAnswerOneText)
{
    // The usual case: the unit paused before the command, so a reply of several lines is one
    // line in lbrx, as ever.
    const Context version{"$RSV", "19200", 1};
    ReceiveEngine engine;
    engine.add("OLD\r\n", {"", "19200", 0});
    engine.quiet();
    engine.commandWritten("$RSV");
    EXPECT_FALSE(engine.showsLineByLine());
    EXPECT_EQ(answers(engine.add("SVrix-sim\r\n1.0\r\n", version)), Lines{});
    EXPECT_EQ(answers(engine.quiet()), Lines{"rix-sim1.0"});
}

TEST(ReceiveEngine, ATextIsAtItsLineEndOnlyAfterAnLfThatFollowsContent)
{
    const Context c{"", "19200", 0};
    const std::vector<std::pair<std::vector<std::string>, bool>> rows = {
        {{"SRF0F011\r\n"}, true},
        {{"SRF0F011\n\r"}, true},
        {{"SRF0F011\r"}, false},
        {{"SRF0F011\r\n", "S"}, false},   // the next text has begun
        {{"SRF0", "F011\r", "\n"}, true},
        {{"\n"}, false},                  // a text's kept first byte ends nothing
        {{"\r\n"}, false},
        {{"\r", "\n", "A\r\n"}, true},
    };
    for (const auto &[chunks, expected] : rows) {
        ReceiveEngine engine;
        std::string all;
        for (const std::string &chunk : chunks) {
            engine.add(chunk, c);
            all += chunk;
        }
        EXPECT_EQ(engine.atLineEnd(), expected) << testing::PrintToString(all);
        engine.quiet();
        EXPECT_FALSE(engine.atLineEnd()) << "nothing is open after the quiet time";
    }
    // After a cut the next bytes continue the text: a line end alone completes it.
    ReceiveEngine engine;
    engine.add("STAT", c);
    engine.cutForCommand();
    EXPECT_FALSE(engine.atLineEnd());
    engine.add("\r\n", c);
    EXPECT_TRUE(engine.atLineEnd());
}
