// What the window tells a screen reader and the mouse pointer about its controls.
#include "support/harness.h"

#include <QAccessible>
#include <gtest/gtest.h>

TEST(WindowAccessibility, TheTwoListsAreNamedForWhatTheyHoldAndKeepTheirDescriptions)
{
    Harness h;
    QAccessibleInterface *sent = QAccessible::queryAccessibleInterface(h.w.lb2);
    QAccessibleInterface *answers = QAccessible::queryAccessibleInterface(h.w.lbrx);
    ASSERT_NE(sent, nullptr);
    ASSERT_NE(answers, nullptr);
    EXPECT_EQ(sent->role(), QAccessible::List);
    EXPECT_EQ(sent->text(QAccessible::Name), "Gesendete Befehle");
    EXPECT_EQ(sent->text(QAccessible::Description), "lb2");
    EXPECT_EQ(answers->text(QAccessible::Name), "Antworten");
    EXPECT_EQ(answers->text(QAccessible::Description), "lbrx");
}
