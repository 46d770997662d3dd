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
    for (int index = 0; index < ports_.size(); ++index) {
        const QString &port = ports_.at(index);
        if (held_.contains(port)) {
            outcomes_[index].kind = PortOutcome::Kind::Busy;
            outcomes_[index].reason = heldByUsReason(port);
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
