// SPDX-License-Identifier: GPL-3.0-or-later
// Quick clicks against a unit that answers within 20 ms: every command gets its own line in
// the command list and every answer its own line in the answer list, stripped by the rules,
// also when the next click came during the previous command's pause (and so before the poll
// had read the answer to it).
#include "liveunit.h"

#include "support/userinput.h"
#include "widgets/lineview.h"

#include <QEvent>
#include <QTimer>

using namespace e2e;
using namespace testsupport;
using Lines = std::vector<QByteArray>;
using Commands = std::vector<std::string>;
using namespace std::chrono_literals;

namespace {
// Counts the double-clicks a control receives.
class DoubleClicks : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonDblClick)
            ++count;
        return false;
    }
};
} // namespace

class QuickClicks : public LiveUnit {
protected:
    // Clicks the buttons as a user does, the first now and each next `apart` later, through
    // the window system's queue: a click made during a pause waits for its end.
    void clickInTurn(const std::vector<QWidget *> &buttons, std::chrono::milliseconds apart)
    {
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            QWidget *button = buttons[i];
            QTimer::singleShot(int(apart.count() * qint64(i)), &program.w,
                               [this, button] { userinput::queueClick(program.w, button); });
        }
    }
    // Waits for `count` lines in both lists, then a while longer for any line too many.
    void waitForLines(int count)
    {
        ASSERT_TRUE(waitUntil([&] { return program.w.lb2()->count() >= count && program.w.lbrx()->count() >= count; },
                              15s));
        runEventsFor(300ms);
    }
    void expectLines(const Lines &commands, const Lines &answers)
    {
        EXPECT_EQ(linesOf(*program.w.lb2()), commands);
        EXPECT_EQ(linesOf(*program.w.lbrx()), answers);
        EXPECT_TRUE(program.box.texts.empty());
    }
};

TEST_F(QuickClicks, F0ThenF1SixtyMillisecondsLater)
{
    startUnit();
    connectProgram();
    clickInTurn({program.w.cmdF0(), program.w.cmdF1()}, 60ms);
    waitForLines(2);
    expectLines({"$RSRF0", "$RSRF1"}, {"F011", "0A00"});
    EXPECT_EQ(received(), (Commands{"$RSRF0", "$RSRF1"}));
}

TEST_F(QuickClicks, F0ThenF1SixtyMillisecondsLaterAt4800WithEachCommandSentBack)
{
    startUnit({}, true);
    connectProgram(QStringLiteral("4800"));
    clickInTurn({program.w.cmdF0(), program.w.cmdF1()}, 60ms);
    waitForLines(2);
    expectLines({"$RSRF0", "$RSRF1"}, {"F011", "0A00"});
    EXPECT_EQ(received(), (Commands{"$RSRF0", "$RSRF1"}));
}

TEST_F(QuickClicks, ADoubleClickOnF0)
{
    startUnit();
    connectProgram();
    DoubleClicks doubleClicks;
    program.w.cmdF0()->installEventFilter(&doubleClicks);
    // A double-click: the second click 100 ms after the first, inside F0's pause.
    clickInTurn({program.w.cmdF0(), program.w.cmdF0()}, 100ms);
    waitForLines(2);
    program.w.cmdF0()->removeEventFilter(&doubleClicks);
    EXPECT_EQ(doubleClicks.count, 1) << "the window system made it a double-click";
    expectLines({"$RSRF0", "$RSRF0"}, {"F011", "F011"});
    EXPECT_EQ(received(), (Commands{"$RSRF0", "$RSRF0"}));
}

TEST_F(QuickClicks, TenClicksThirtyMillisecondsApart)
{
    startUnit();
    connectProgram();
    MainWindow &w = program.w;
    clickInTurn({w.cmdF0(), w.cmdF1(), w.cmdF2(), w.cmdF3(), w.cmdF4(), w.cmdF5(), w.cmdF6(), w.cmdF0(), w.cmdF1(),
                 w.cmdF2()},
                30ms);
    waitForLines(10);
    expectLines({"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF4", "$RSRF5", "$RSRF6", "$RSRF0", "$RSRF1", "$RSRF2"},
                {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010", "F011", "0A00", "1212"});
    EXPECT_EQ(received(), (Commands{"$RSRF0", "$RSRF1", "$RSRF2", "$RSRF3", "$RSRF4", "$RSRF5", "$RSRF6", "$RSRF0",
                                    "$RSRF1", "$RSRF2"}));
}
