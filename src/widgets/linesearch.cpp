// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/linesearch.h"

#include "widgets/lineview.h"

#include <QElapsedTimer>

#include <tuple>

namespace {
// Lines per counted block: small enough that scanning one is a few microseconds, large
// enough that the blocks of a million lines are a few kilobytes.
constexpr int linesPerBlock = 1024;
// Work per slice: the window answers between slices.
constexpr qint64 sliceNs = 6'000'000;
} // namespace

LineSearch::LineSearch(QObject *parent) : QObject(parent)
{
    slice_.setSingleShot(true);
    slice_.setInterval(0);
    connect(&slice_, &QTimer::timeout, this, &LineSearch::work);
}

void LineSearch::setLists(std::vector<LineView *> lists)
{
    for (LineView *list : lists_)
        disconnect(list, nullptr, this, nullptr);
    lists_ = std::move(lists);
    for (LineView *list : lists_)
        connect(list, &LineView::linesAdded, this, &LineSearch::schedule);
    setPattern(pattern_);
}

void LineSearch::setPattern(const LinePattern &pattern)
{
    pattern_ = pattern;
    blocks_.assign(lists_.size(), {});
    step_ = Step{};
    if (pattern_.isValid())
        schedule();
    else
        slice_.stop();
}

void LineSearch::step(Hit from, bool forward, bool includeFrom)
{
    step_ = Step{};
    if (!pattern_.isValid() || lists_.empty())
        return;
    if (!from.isValid()) {
        // From the first line forward or the last backward, that line included.
        includeFrom = true;
        from = forward ? Hit{0, 0} : Hit{int(lists_.size()) - 1, lists_.back()->count() - 1};
    }
    step_.active = true;
    step_.forward = forward;
    step_.at = step_.origin = from;
    step_.checkFirst = includeFrom && from.line >= 0 && from.line < lists_[std::size_t(from.list)]->count();
    schedule();
    // The step's first slice at once: a hit near where the user is shows without a round
    // trip through the event loop; the counting waits for the next slice.
    QElapsedTimer clock;
    clock.start();
    growBlocks();
    if (advanceStep(sliceNs, clock))
        emit progressed();
}

void LineSearch::schedule()
{
    if (pattern_.isValid() && !slice_.isActive())
        slice_.start();
}

void LineSearch::growBlocks()
{
    for (std::size_t k = 0; k < lists_.size(); ++k)
        blocks_[k].resize(std::size_t(lists_[k]->count() / linesPerBlock), -1);
}

void LineSearch::work()
{
    if (!pattern_.isValid())
        return;
    QElapsedTimer clock;
    clock.start();
    growBlocks();
    bool more = false;
    if (step_.active)
        more = !advanceStep(sliceNs, clock);
    for (std::size_t k = 0; k < lists_.size() && !more; ++k) {
        std::vector<int> &blocks = blocks_[k];
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            if (blocks[b] >= 0)
                continue;
            if (clock.nsecsElapsed() > sliceNs) {
                more = true;
                break;
            }
            blocks[b] = hitsIn(int(k), int(b) * linesPerBlock, int(b + 1) * linesPerBlock);
        }
    }
    if (more)
        schedule();
    emit progressed();
}

int LineSearch::hitsIn(int list, int first, int end) const
{
    const LineStore &store = lists_[std::size_t(list)]->store();
    int hits = 0;
    for (int i = first; i < end; ++i)
        hits += pattern_.matches(store.data(i), store.length(i)) ? 1 : 0;
    return hits;
}

bool LineSearch::lineMatches(Hit at) const
{
    const LineStore &store = lists_[std::size_t(at.list)]->store();
    return pattern_.matches(store.data(at.line), store.length(at.line));
}

bool LineSearch::moveOne(Hit &at, bool forward, bool &wrapped) const
{
    const int n = int(lists_.size());
    // At most one pass over the lists finds a line; none at all when every list is empty.
    for (int tries = 0; tries <= n; ++tries) {
        at.line += forward ? 1 : -1;
        const int count = lists_[std::size_t(at.list)]->count();
        if (at.line >= 0 && at.line < count)
            return true;
        at.list += forward ? 1 : -1;
        if (at.list >= n || at.list < 0) {
            at.list = forward ? 0 : n - 1;
            wrapped = true;
        }
        at.line = forward ? -1 : lists_[std::size_t(at.list)]->count();
    }
    return false;
}

bool LineSearch::beyondOrigin() const
{
    const auto at = std::tie(step_.at.list, step_.at.line);
    const auto origin = std::tie(step_.origin.list, step_.origin.line);
    return step_.wrapped && (step_.forward ? at > origin : at < origin);
}

bool LineSearch::advanceStep(qint64 deadlineNs, const QElapsedTimer &clock)
{
    const auto finish = [this](bool hit) {
        step_.active = false;
        if (hit)
            emit found(step_.at, step_.wrapped);
        else
            emit notFound();
        return true;
    };
    for (;;) {
        if (!step_.checkFirst && (!moveOne(step_.at, step_.forward, step_.wrapped) || beyondOrigin()))
            return finish(false);
        step_.checkFirst = false;
        Hit &at = step_.at;
        const std::vector<int> &blocks = blocks_[std::size_t(at.list)];
        const int block = at.line / linesPerBlock;
        const bool counted = std::size_t(block) < blocks.size();
        // The lines from here to the edge of the block in the walk's direction, but not past
        // the line the step started from once it has come round.
        const bool bounded = step_.wrapped && at.list == step_.origin.list;
        int last = step_.forward ? std::min(block * linesPerBlock + linesPerBlock, lists_[std::size_t(at.list)]->count()) - 1
                                 : block * linesPerBlock;
        if (bounded)
            last = step_.forward ? std::min(last, step_.origin.line) : std::max(last, step_.origin.line);
        if (counted && blocks[std::size_t(block)] == 0) {
            at.line = last;   // a counted block without a hit
        } else {
            const LineStore &store = lists_[std::size_t(at.list)]->store();
            const int direction = step_.forward ? 1 : -1;
            for (int i = at.line;; i += direction) {
                if (pattern_.matches(store.data(i), store.length(i))) {
                    at.line = i;
                    return finish(true);
                }
                if (i == last)
                    break;
            }
            at.line = last;
        }
        if (bounded && at.line == step_.origin.line)
            return finish(false);
        if (clock.nsecsElapsed() > deadlineNs)
            return false;
    }
}

bool LineSearch::isCounted() const
{
    if (!pattern_.isValid())
        return true;
    for (std::size_t k = 0; k < lists_.size(); ++k) {
        if (blocks_[k].size() != std::size_t(lists_[k]->count() / linesPerBlock))
            return false;
        for (const int hits : blocks_[k])
            if (hits < 0)
                return false;
    }
    return true;
}

qint64 LineSearch::counted() const
{
    if (!pattern_.isValid())
        return 0;
    qint64 total = 0;
    for (std::size_t k = 0; k < lists_.size(); ++k) {
        for (const int hits : blocks_[k])
            total += hits > 0 ? hits : 0;
        // The lines after the last full block: fewer than a block, counted when asked.
        const int counted = int(blocks_[k].size()) * linesPerBlock;
        if (blocks_[k].size() == std::size_t(lists_[k]->count() / linesPerBlock))
            total += hitsIn(int(k), counted, lists_[k]->count());
    }
    return total;
}

qint64 LineSearch::ordinal(Hit hit) const
{
    if (!pattern_.isValid() || !hit.isValid() || std::size_t(hit.list) >= lists_.size())
        return -1;
    qint64 before = 0;
    for (int k = 0; k <= hit.list; ++k) {
        const std::vector<int> &blocks = blocks_[std::size_t(k)];
        const int count = lists_[std::size_t(k)]->count();
        const int end = k == hit.list ? hit.line : count;
        const int fullBlocks = end / linesPerBlock;
        if (std::size_t(fullBlocks) > blocks.size())
            return -1;
        for (int b = 0; b < fullBlocks; ++b) {
            if (blocks[std::size_t(b)] < 0)
                return -1;
            before += blocks[std::size_t(b)];
        }
        before += hitsIn(k, fullBlocks * linesPerBlock, end);
    }
    return before + 1;
}
