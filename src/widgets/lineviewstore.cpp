// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewstore.h"

#include <algorithm>
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
}
