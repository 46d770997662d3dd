// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewstore.h"

#include "widgets/lineviewformat.h"

#include <algorithm>
#include <utility>
#include <limits>

void LineStore::append(const QByteArray &bytes, qint64 addedMSecsSinceEpoch)
{
    // vector::insert grows the capacity geometrically, so appending is amortised O(1) and the
    // buffer is never more than twice the text.
    text_.insert(text_.end(), bytes.cbegin(), bytes.cend());
    ends_.push_back(text_.size());
    times_.push_back(addedMSecsSinceEpoch);
    if (bytes.size() > longest_)
        longest_ = int(std::min<qsizetype>(bytes.size(), std::numeric_limits<int>::max()));
    // At least as many columns as bytes: only a line as long as the widest can be wider.
    if (qint64(bytes.size()) * lineformat::controlCells > widest_)
        widest_ = std::max(widest_, lineformat::columns(bytes.constData(), int(bytes.size())));
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

void LineStore::squeeze()
{
    text_.shrink_to_fit();
    ends_.shrink_to_fit();
    times_.shrink_to_fit();
}
