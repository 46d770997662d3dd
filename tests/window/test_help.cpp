// SPDX-License-Identifier: GPL-3.0-or-later
// The Handbuch from the window: F1 anywhere in it, and „Hilfe“ in either list's menu, open the
// help window at the Handbuch's beginning, and nothing goes to the unit.
#include "support/controls.h"
#include "support/harness.h"

#include "widgets/handbookbrowser.h"
#include "widgets/helpwindow.h"
#include "widgets/mainwindow.h"

#include <QScrollBar>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::control;

namespace {
HelpWindow *helpWindowOf(const QWidget &window)
{
    const QList<HelpWindow *> found = window.findChildren<HelpWindow *>();
    return found.size() == 1 ? found.front() : nullptr;
}
} // namespace

TEST(Help, F1InTheWindowOpensTheHandbuchAtItsBeginningAndSendsNothing)
{
    Harness h;
    h.showWindow();
    h.connectWith("COM1", "19200", "S");
    const std::size_t writesBefore = h.channel.writes.size();
    h.w.ed1()->setFocus();

    QTest::keyClick(h.w.windowHandle(), Qt::Key_F1);

    HelpWindow *help = helpWindowOf(h.w);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), &h.w);
    auto *browser = control<HandbookBrowser>(*help, "handbook");
    EXPECT_TRUE(browser->source().isLocalFile());
    EXPECT_TRUE(browser->source().fragment().isEmpty());
    EXPECT_EQ(browser->verticalScrollBar()->value(), 0);
    EXPECT_EQ(h.channel.writes.size(), writesBefore);
    EXPECT_TRUE(h.pause.pauses.empty());
    EXPECT_TRUE(h.w.cmdF0()->isEnabled()) << "the window stays as it was";
}

TEST(Help, HilfeInEitherListsMenuOpensTheSameWindow)
{
    Harness h;
    h.showWindow();
    emit h.w.lb2()->helpAsked();
    HelpWindow *help = helpWindowOf(h.w);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    help->close();

    emit h.w.lbrx()->helpAsked();
    EXPECT_EQ(helpWindowOf(h.w), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(control<HandbookBrowser>(*help, "handbook")->source().fragment().isEmpty());
}
