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
    return answers(engine.quiet(context));
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
    EXPECT_EQ(answers(engine.quiet({"", "19200", 0})), Lines{"\rABC"});
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
    const ReceiveEngine::Shown shown = engine.quiet({"$RSRF0", "4800", 1});
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
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{std::string(65536, 'A')});

    const ReceiveEngine::Shown first = engine.add(std::string(65537, 'B'), typed);
    EXPECT_EQ(answers(first), Lines{std::string(65536, 'B')});
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{"B"});
    // Dropped line ends do not count.
    EXPECT_TRUE(engine.add(std::string(65536, 'C') + "\r\n", typed).empty());
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{std::string(65536, 'C')});
}

TEST(ReceiveEngine, APieceAfterTheByteLimitIsShownFromItsFirstByteAndBlankTested)
{
    // At 4800 after a button only the first piece loses the echo and the repeated address.
    const Context f0{"$RSRF0", "4800", 1};
    ReceiveEngine engine;
    std::string text = "$RSRF0SRF0" + std::string(65526, 'x') + "\rCDE";
    const ReceiveEngine::Shown first = engine.add(text, f0);
    EXPECT_EQ(answers(first), Lines{std::string(65526, 'x')});
    EXPECT_EQ(answers(engine.quiet(f0)), Lines{"CDE"}) << "the line end after the split is dropped";

    // 65,536 x "A" and 100 blanks: the blank piece logs its lb2 line and shows no answer.
    const Context typed{"abc", "19200", 0};
    engine.add(std::string(65536, 'A') + std::string(100, ' '), typed);
    const ReceiveEngine::Shown rest = engine.quiet(typed);
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].commandLine, "abc");
    EXPECT_FALSE(rest[0].answer.has_value());
}

TEST(ReceiveEngine, ATextSplitForAUsersActionContinuesUntilTheLineIsQuiet)
{
    const Context typed{"typed", "4800", 0};
    ReceiveEngine engine;
    engine.add("HELLO WO", typed);
    EXPECT_EQ(answers(engine.splitForAction(typed)), Lines{" WO"});
    EXPECT_TRUE(engine.awaitsContinuation());
    // Shown from its first byte: no echo skipped, the first CR dropped, blanks are blank.
    engine.add("\rRLD", typed);
    EXPECT_EQ(answers(engine.splitForAction(typed)), Lines{"RLD"});
    engine.add("\r\n", typed);
    EXPECT_EQ(answers(engine.splitForAction(typed)), Lines{"-"}) << "bytes came: one lb2 line";
    engine.add("   ", typed);
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{"-"});
    // The quiet time ended it: the next text is a new one, under the rules.
    EXPECT_FALSE(engine.awaitsContinuation());
    EXPECT_EQ(answers(engine.add("typedNEW", typed)), Lines{});
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{"NEW"});

    // Quiet observed with nothing read since the split also ends it.
    engine.add("ABC", typed);
    engine.splitForAction(typed);
    EXPECT_TRUE(engine.quiet(typed).empty());
    engine.add("typedNEW", typed);
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{"NEW"});
}

TEST(ReceiveEngine, AfterACommandIsWrittenTheNextBytesAreANewText)
{
    // A split for a user's action, then the user's own F0.
    const Context typed{"typed", "19200", 0};
    const Context f0{"$RSRF0", "19200", 1};
    ReceiveEngine engine;
    engine.add("UNASKED", typed);
    engine.splitForAction(typed);
    engine.commandWritten();
    EXPECT_FALSE(engine.awaitsContinuation());
    engine.add("SRF0F011\r\n", f0);
    EXPECT_EQ(answers(engine.quiet(f0)), Lines{"F011"});

    // At 4800 with the echo.
    const Context f0at4800{"$RSRF0", "4800", 1};
    engine.add("UNASKED", f0at4800);
    engine.splitForAction(f0at4800);
    engine.commandWritten();
    engine.add("$RSRF0SRF0F011\r\n", f0at4800);
    EXPECT_EQ(answers(engine.quiet(f0at4800)), Lines{"F011"});

    // The first CR of the new text is kept, so a CR/LF-only burst still gives its lines.
    engine.add("UNASKED", typed);
    engine.splitForAction(typed);
    engine.commandWritten();
    engine.add("\r\n", typed);
    EXPECT_EQ(answers(engine.quiet(typed)), Lines{"\r"});

    // A runaway text after a write: up to L - 2 of its characters are skipped by the rule.
    engine.add(std::string(65536, 'x') + "RUNAWAY", f0);
    engine.commandWritten();
    EXPECT_EQ(answers(engine.add("ON", f0)), Lines{"RUNAWAY"}) << "the piece before the write, shown whole";
    EXPECT_EQ(answers(engine.quiet(f0)), Lines{""}) << "\"ON\" is within the L - 2 skipped";
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
        engine.quiet(c);
        EXPECT_FALSE(engine.atLineEnd()) << "nothing is open after the quiet time";
    }
    // After a split the next bytes continue the text: a line end alone completes it.
    ReceiveEngine engine;
    engine.add("STAT", c);
    engine.splitForAction(c);
    EXPECT_FALSE(engine.atLineEnd());
    engine.add("\r\n", c);
    EXPECT_TRUE(engine.atLineEnd());
}
