// SPDX-License-Identifier: GPL-3.0-or-later
// Which lines of a list are current and selected, and where the navigation keys move.
#include "widgets/lineselection.h"

#include <Qt>
#include <gtest/gtest.h>

TEST(LineSelection, ShiftExtendsFromTheAnchorInEitherDirection)
{
    LineSelection s;
    s.extendTo(4);   // no anchor yet: the line alone
    EXPECT_EQ(s.first(), 4);
    EXPECT_EQ(s.last(), 4);
    s.extendTo(7);
    EXPECT_EQ(s.first(), 4);
    EXPECT_EQ(s.last(), 7);
    s.extendTo(1);   // back past the anchor: the range turns, the anchor stays
    EXPECT_EQ(s.first(), 1);
    EXPECT_EQ(s.last(), 4);
    EXPECT_EQ(s.current(), 1);
    EXPECT_TRUE(s.contains(4));
    EXPECT_FALSE(s.contains(5));
    s.selectAll(0);   // an empty list: nothing changes
    EXPECT_EQ(s.last(), 4);
    s.selectAll(10);
    EXPECT_EQ(s.last(), 9);
    EXPECT_EQ(s.current(), 1);
    s.clear();
    EXPECT_FALSE(s.any());
    EXPECT_FALSE(s.contains(0));
}

TEST(LineSelection, AClickOnAnyLineTheFirstTooIsTheAnchorAndAClearForgetsIt)
{
    LineSelection s;
    s.selectSingle(0);
    s.extendTo(3);
    EXPECT_EQ(s.first(), 0);
    EXPECT_EQ(s.last(), 3);
    s.clear();
    s.extendTo(2);   // no anchor after a clear: the line alone
    EXPECT_EQ(s.first(), 2);
    EXPECT_EQ(s.last(), 2);
}

TEST(LineSelection, NavigationKeysStayInsideTheList)
{
    struct Row { int key; int from; int expected; };
    const Row rows[] = {{Qt::Key_Up, 0, 0},       {Qt::Key_Up, 5, 4},         {Qt::Key_Down, 9, 9},
                        {Qt::Key_PageDown, 5, 9}, {Qt::Key_PageUp, 5, 1},     {Qt::Key_PageUp, 2, 0},
                        {Qt::Key_Home, 7, 0},     {Qt::Key_End, 2, 9}};
    for (const Row &row : rows)
        EXPECT_EQ(LineSelection::keyTarget(row.key, row.from, 4, 10), row.expected) << row.key << " from " << row.from;
    EXPECT_EQ(LineSelection::keyTarget(Qt::Key_A, 3, 4, 10), std::nullopt);
    EXPECT_EQ(LineSelection::keyTarget(Qt::Key_PageDown, 5, 2147483647, 10), 9);   // no overflow
}
