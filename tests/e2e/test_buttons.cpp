// SPDX-License-Identifier: GPL-3.0-or-later
// Every command button, and a typed command, as bytes that reach the unit.
#include "liveunit.h"

#include "widgets/lineview.h"

#include <cstdio>

using namespace e2e;
using namespace testsupport;
using Commands = std::vector<std::string>;

class CommandsOnTheLine : public LiveUnit {};

TEST_F(CommandsOnTheLine, EveryCommandButtonSendsExactlyItsCommand)
{
    startUnit();
    connectProgram();
    MainWindow &w = program.w;

    struct Button {
        const char *name;
        QPushButton *control;
        Commands commands;      // what the unit must receive for one click
        const char *shownValue; // the parameter value the answer shows in lbrx, if any
    };
    const std::vector<Button> buttons = {
        {"cmdF0", w.cmdF0(), {"$RSRF0"}, "F011"},
        {"cmdF1", w.cmdF1(), {"$RSRF1"}, "0A00"},
        {"cmdF2", w.cmdF2(), {"$RSRF2"}, "1212"},
        {"cmdF3", w.cmdF3(), {"$RSRF3"}, "0E28"},
        {"cmdF4", w.cmdF4(), {"$RSRF4"}, "0E0E"},
        {"cmdF5", w.cmdF5(), {"$RSRF5"}, "64C8"},
        {"cmdF6", w.cmdF6(), {"$RSRF6"}, "1010"},
        {"cmdVersion", w.cmdVersion(), {"$RSV"}, "rix-sim 1.0"},
        {"cmdTR1", w.cmdTR1(), {"$RSE1", "$RSEA"}, nullptr},
        {"cmdTR2", w.cmdTR2(), {"$RSE2", "$RSEA"}, nullptr},
        {"cmd5Ton", w.cmd5Ton(), {"$RStP60999"}, nullptr},
        {"cmdFMS", w.cmdFMS(), {"$RSm6876471131"}, nullptr},
    };

    Commands expectedAll;
    for (const Button &button : buttons) {
        SCOPED_TRACE(button.name);
        const std::size_t before = received().size();
        const int lbrxBefore = w.lbrx()->count();
        const int lb2Before = w.lb2()->count();
        program.click(button.control);

        const std::size_t after = before + button.commands.size();
        ASSERT_TRUE(unitReceived(after));
        // The unit answers every one of these; the answer must be read before the next
        // click, or it would be shown with the next command's text in ed1.
        ASSERT_TRUE(waitUntil([&] { return answersSent(sim->log()) >= after; }));
        ASSERT_TRUE(listHas(w.lb2(), lb2Before + 1));
        if (button.shownValue) {
            ASSERT_TRUE(listHas(w.lbrx(), lbrxBefore + 1));
            EXPECT_EQ(w.lbrx()->lineBytes(w.lbrx()->count() - 1), QByteArray(button.shownValue));
        }

        const Commands all = received();
        const Commands got(all.begin() + long(before), all.end());
        EXPECT_EQ(got, button.commands);
        std::string shown;
        for (const auto &command : got)
            shown += (shown.empty() ? "" : " then ") + ("\"" + printable(command) + "\"");
        std::printf("[bytes] %-10s -> %s\n", button.name, shown.c_str());
        expectedAll.insert(expectedAll.end(), button.commands.begin(), button.commands.end());
    }
    // Nothing else went out in between: no line end, no repeat, no poll traffic.
    EXPECT_EQ(received(), expectedAll);
    EXPECT_EQ(sim->log().joined(TrafficEvent::Kind::Received),
              "$RSRF0$RSRF1$RSRF2$RSRF3$RSRF4$RSRF5$RSRF6$RSV$RSE1$RSEA$RSE2$RSEA$RStP60999$RSm6876471131");
    EXPECT_TRUE(program.box.texts.empty());
}

TEST_F(CommandsOnTheLine, TypedCommandGoesOutExactlyAsTyped)
{
    startUnit();
    connectProgram();

    program.typeCommandLine(QStringLiteral("$RSRF5"));
    program.click(program.w.cmdSendentx());
    ASSERT_TRUE(unitReceived(1));
    ASSERT_TRUE(listHas(program.w.lbrx(), 1));
    EXPECT_EQ(program.w.lbrx()->lineBytes(0), QByteArray("SRF564C8"));
    EXPECT_EQ(program.state.ButtonCommandFlag, 0);

    // Anything typed goes out as it stands, spaces and all; the unit does not answer it.
    program.typeCommandLine(QStringLiteral("hallo Welt $R 42 "));
    program.click(program.w.cmdSendentx());
    ASSERT_TRUE(unitReceived(2));

    EXPECT_EQ(received(), (Commands{"$RSRF5", "hallo Welt $R 42 "}));
    EXPECT_EQ(answersSent(sim->log()), 1u);
}
