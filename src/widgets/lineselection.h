// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which line of a list is current and which lines are selected: one contiguous range, from the
// anchor (where a Shift-click or Shift-key extends from) to the current line. And where a
// navigation key moves the current line. No widget: the list paints and scrolls by it.

#include <optional>

class LineSelection {
public:
    int current() const { return current_; }   // -1 when none
    int first() const { return first_; }       // -1 when nothing is selected
    int last() const { return last_; }         // -1 when nothing is selected
    bool any() const { return first_ >= 0; }
    bool contains(int index) const { return first_ >= 0 && index >= first_ && index <= last_; }

    // The line alone, current and the anchor.
    void selectSingle(int index);
    // From the anchor to the line, which becomes current; without an anchor, the line alone.
    void extendTo(int index);
    // Every line of `count`, the current line and the anchor kept.
    void selectAll(int count);
    void clear();

    // Where Up, Down, Page Up, Page Down, Home and End move the current line in a list of
    // `count` lines showing `page` rows; nothing for any other key.
    static std::optional<int> keyTarget(int key, int from, int page, int count);

private:
    int current_ = -1;
    int anchor_ = -1;
    int first_ = -1;
    int last_ = -1;
};
