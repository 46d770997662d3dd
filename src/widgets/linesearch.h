// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Looks for a pattern in one or two lists of up to millions of lines without holding the
// window: all work runs in slices of a few milliseconds on the event loop. The lists are
// walked in the order given (the upper list before the lower one). Lines are counted in
// blocks; a counted block without a hit is skipped by the next step, and the hits before a
// block are the sum of the blocks before it, so a hit's number needs no list of hits. The
// lists only ever grow, so a counted block stays counted; lines that arrive are counted as
// they come.

#include "unit/protocol/linepattern.h"

#include <QObject>
#include <QTimer>

#include <vector>

class LineView;
class QElapsedTimer;

class LineSearch : public QObject {
    Q_OBJECT
public:
    // A line of one of the lists searched: `list` is its place in lists().
    struct Hit {
        int list = -1;
        int line = -1;
        bool isValid() const { return list >= 0; }
    };

    explicit LineSearch(QObject *parent = nullptr);

    // The lists, in the order they are walked, and what to look for: either forgets every
    // count and any step under way.
    void setLists(std::vector<LineView *> lists);
    const std::vector<LineView *> &lists() const { return lists_; }
    void setPattern(const LinePattern &pattern);
    const LinePattern &pattern() const { return pattern_; }

    // Looks for the next hit from `from` on (a line of its own, or the first or last line
    // when invalid), past the end of the last list on at the start of the first and the other
    // way round. Reported by found() or notFound(); a new step replaces one under way.
    void step(Hit from, bool forward, bool includeFrom);
    bool isStepping() const { return step_.active; }

    // Whether every line has been looked at, the hits counted so far, and the number of a hit
    // among all (from 1; -1 while the lines before it are still being counted).
    bool isCounted() const;
    qint64 counted() const;
    qint64 ordinal(Hit hit) const;

signals:
    void found(LineSearch::Hit hit, bool wrapped);
    void notFound();
    // The count or the lines changed.
    void progressed();

private:
    struct Step {
        bool active = false;
        bool forward = true;
        bool wrapped = false;
        bool checkFirst = false;
        Hit at;
        Hit origin;
    };
    void schedule();
    void work();
    void growBlocks();
    bool advanceStep(qint64 deadlineNs, const QElapsedTimer &clock);
    bool moveOne(Hit &at, bool forward, bool &wrapped) const;
    bool lineMatches(Hit at) const;
    int hitsIn(int list, int first, int end) const;
    bool beyondOrigin() const;

    std::vector<LineView *> lists_;
    LinePattern pattern_;
    // Per list: the hits in each full block of linesPerBlock lines, -1 while not yet counted.
    std::vector<std::vector<int>> blocks_;
    Step step_;
    QTimer slice_;
};

Q_DECLARE_METATYPE(LineSearch::Hit)
