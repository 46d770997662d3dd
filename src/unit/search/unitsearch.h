// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search over many ports at once: one probe per port, all on the calling thread's
// event loop, so eight ports take as long as the slowest one. Nothing here waits: start()
// returns at once, each port is told as soon as it is settled (portDone) and the end with
// finished. rix-param's find and the window's dialog follow it from their event loop.

#include "unit/search/portprobe.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class SerialChannel;

namespace search {

using ChannelMaker = std::function<std::unique_ptr<SerialChannel>()>;

class UnitSearch : public QObject {
    Q_OBJECT
public:
    // `held`: ports the caller holds itself (the window's connected port). They are named
    // busy and never opened.
    UnitSearch(const QStringList &ports, ChannelMaker makeChannel, Timing timing = {},
               const QStringList &held = {}, QObject *parent = nullptr);
    ~UnitSearch() override;

    // Every port is asked at once. finished comes from the event loop, also for no port;
    // delete the search later (deleteLater), not in a slot of its own signals.
    void start();

    int portCount() const { return int(outcomes_.size()); }
    int doneCount() const { return done_; }
    bool isFinished() const { return started_ && done_ == portCount(); }
    // In the order of the ports given.
    const QList<PortOutcome> &outcomes() const { return outcomes_; }

signals:
    // One port is done: its place among the ports and its outcome.
    void portDone(int index, const search::PortOutcome &outcome);
    void finished();

private:
    void onProbeDone(int index);

    QStringList ports_;
    ChannelMaker makeChannel_;
    Timing timing_;
    QStringList held_;
    std::vector<std::unique_ptr<PortProbe>> probes_;
    QList<PortOutcome> outcomes_;
    int done_ = 0;
    bool started_ = false;
};

} // namespace search
