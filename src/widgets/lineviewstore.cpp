// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewstore.h"

#include "widgets/lineviewformat.h"

#include <algorithm>
#include <utility>
#include <limits>

void LineStore::append(const QByteArray &bytes, qint64 addedMSecsSinceEpoch)
{
    append(bytes.constData(), int(std::min<qsizetype>(bytes.size(), std::numeric_limits<int>::max())), addedMSecsSinceEpoch);
}

void LineStore::append(const char *bytes, int length, qint64 addedMSecsSinceEpoch)
{
    // vector::insert grows the capacity geometrically, so appending is amortised O(1) and the
    // buffer is never more than twice the text.
    text_.insert(text_.end(), bytes, bytes + length);
    ends_.push_back(text_.size());
    times_.push_back(addedMSecsSinceEpoch);
    if (length > longest_)
        longest_ = length;
    // At least as many columns as bytes: only a line as long as the widest can be wider.
    if (qint64(length) * lineformat::controlCells > widest_)
        widest_ = std::max(widest_, lineformat::columns(bytes, length));
}

void LineStore::clear()
{
    // Swapped with empty ones, not cleared: a cleared vector keeps its capacity.
    std::vector<char>().swap(text_);
    std::vector<quint64>().swap(ends_);
    std::deque<qint64>().swap(times_);
    longest_ = 0;
    widest_ = 0;
}

void LineStore::reserve(std::size_t lines, std::size_t textBytes)
{
    text_.reserve(textBytes);
    ends_.reserve(lines);
}

void LineStore::squeeze(Part part)
{
    const auto wasteful = [](const auto &v) { return v.capacity() - v.size() > v.size() / 8; };
    switch (part) {
    case Part::Text:
        if (wasteful(text_))
            text_.shrink_to_fit();
        break;
    case Part::Ends:
        if (wasteful(ends_))
            ends_.shrink_to_fit();
        break;
    case Part::Times: times_.shrink_to_fit(); break;
    }
}
