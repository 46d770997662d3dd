// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of one list: their bytes exactly as received and the time each was added. The lists
// grow for the whole run unless the user clears them, so a line costs its bytes plus a small constant:
// all text lives in one growing buffer with a table of where each line ends, never in one object
// per line, and appending never moves more than amortised constant work.

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <deque>
#include <vector>

class LineStore {
public:
    // Appends a line added at `addedMSecsSinceEpoch`; amortised constant time.
    void append(const QByteArray &bytes, qint64 addedMSecsSinceEpoch);
    void append(const char *bytes, int length, qint64 addedMSecsSinceEpoch);
    // Forgets every line and gives their memory back.
    void clear();
    // Makes room for this many lines and text bytes in all, so that growing to them moves
    // nothing (a file read in knows about how large it will be; moving 50 MB holds the window).
    void reserve(std::size_t lines, std::size_t textBytes);
    std::size_t textBytes() const { return text_.size(); }
    // Gives back the room kept for lines still to come (after the last line of a file is in),
    // where more than an eighth of it is unused. It copies the lines once: a list of millions
    // does it in steps, text, ends and times.
    enum class Part { Text, Ends, Times };
    void squeeze(Part part);

    int count() const { return int(ends_.size()); }
    // The longest line's length in bytes, and the most columns a line takes as painted.
    int longest() const { return longest_; }
    qint64 widest() const { return widest_; }

    // Unchecked access for the painting and saving loops: `index` must be in range.
    const char *data(int index) const { return text_.data() + begin(index); }
    int length(int index) const { return int(ends_[std::size_t(index)] - begin(index)); }
    qint64 time(int index) const { return times_[std::size_t(index)]; }

    // The bytes of lines `first` to `last` together, without separators.
    std::size_t bytesBetween(int first, int last) const { return ends_[std::size_t(last)] - begin(first); }

private:
    quint64 begin(int index) const { return index == 0 ? 0 : ends_[std::size_t(index) - 1]; }

    // Line i is text_[ends_[i-1] .. ends_[i]) (with ends_[-1] taken as 0).
    std::vector<char> text_;
    std::vector<quint64> ends_;
    // One time per line. A deque grows in small blocks, so the times cost 8 bytes per line
    // and never a reallocation of all of them at once.
    std::deque<qint64> times_;
    int longest_ = 0;
    qint64 widest_ = 0;
};
