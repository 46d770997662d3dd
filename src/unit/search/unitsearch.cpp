// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/search/unitsearch.h"

#include "unit/line/serialchannel.h"

#include <QTimer>

namespace search {

UnitSearch::UnitSearch(const QStringList &ports, ChannelMaker makeChannel, Timing timing, const QStringList &held,
                       QObject *parent)
    : QObject(parent)
    , ports_(ports)
    , makeChannel_(std::move(makeChannel))
    , timing_(timing)
    , held_(held)
{
    for (const QString &port : ports_) {
        PortOutcome outcome;
        outcome.port = port;
        outcomes_ << outcome;
    }
}

UnitSearch::~UnitSearch() = default;

void UnitSearch::start()
{
    started_ = true;
    // Looked at before any probe opens a port: a program that holds one without a lock
    // would otherwise have the requests written into its line.
    const QList<QList<PortHolder>> others = otherHolders(ports_);
    for (int index = 0; index < ports_.size(); ++index) {
        const QString &port = ports_.at(index);
        const bool ours = held_.contains(port);
        if (ours || !others.at(index).isEmpty()) {
            outcomes_[index].kind = PortOutcome::Kind::Busy;
            outcomes_[index].reason = ours ? heldByUsReason(port) : heldByOthersReason(port, others.at(index));
            probes_.push_back(nullptr);
            // Told from the event loop like every other port, so a caller connected after
            // start() hears it too.
            QTimer::singleShot(0, this, [this, index] { onProbeDone(index); });
            continue;
        }
        probes_.push_back(std::make_unique<PortProbe>(port, makeChannel_(), timing_));
        connect(probes_.back().get(), &PortProbe::done, this, [this, index] { onProbeDone(index); });
    }
    // Every probe opens its port before the first one waits: all ports are asked at once.
    for (const auto &probe : probes_)
        if (probe)
            probe->start();
    if (ports_.isEmpty())
        QTimer::singleShot(0, this, &UnitSearch::finished);
}

void UnitSearch::onProbeDone(int index)
{
    if (probes_[std::size_t(index)])
        outcomes_[index] = probes_[std::size_t(index)]->outcome();
    ++done_;
    emit portDone(index, outcomes_[index]);
    if (done_ == portCount())
        emit finished();
}

} // namespace search
