// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakechannel.h"

#include <utility>

namespace {
// Like the real port after a loss: the loss is reported once, by the call that finds it.
void throwPendingLoss(bool &pending)
{
    if (!pending)
        return;
    pending = false;
    throw PortLostError(ErrorNumber::PortLost, "hung up");
}

} // namespace

void FakeSerialChannel::open(const PortSettings &settings)
{
    opens.push_back(settings);
    timeline_.add("open:" + settings.portName.toStdString() + ":" + settings.baudText.toStdString());
    lossPending_ = false;
    if (failOpen)
        throw PortOpenError(2, "no such port");
    open_ = true;
}

void FakeSerialChannel::write(const QByteArray &bytes)
{
    if (beforeWrite)
        beforeWrite(bytes);
    if (failWriteWith)
        throw SerialError(*failWriteWith, "write failed");
    throwPendingLoss(lossPending_);
    if (!open_)
        throw SerialError(ErrorNumber::NotOpen, "write on a closed port");
    writes.push_back(bytes);
    timeline_.add("write:" + bytes.toStdString());
}

QByteArray FakeSerialChannel::takeAvailable()
{
    ++reads;
    if (failReadWith)
        throw SerialError(*failReadWith, "read failed");
    throwPendingLoss(lossPending_);
    QByteArray bytes;
    if (!incoming_.empty() && !incoming_.front()) {
        incoming_.pop_front();   // the quiet gap: nothing this time
        return bytes;
    }
    while (!incoming_.empty() && incoming_.front()) {
        bytes.append(*incoming_.front());
        incoming_.pop_front();
    }
    return bytes;
}

QByteArray FakeSerialChannel::takeRest()
{
    // What the port has fetched, then what the system still holds.
    QByteArray bytes = takeAvailable();
    bytes += std::exchange(systemHeld_, QByteArray());
    return bytes;
}

void FakeSerialChannel::holdInSystem(const QByteArray &bytes)
{
    systemHeld_ += bytes;
    QTimer::singleShot(0, &notifier_, [this] {
        if (!systemHeld_.isEmpty())
            notifyArrival();
    });
}

void FakeSerialChannel::fetchFromSystem()
{
    if (!systemHeld_.isEmpty())
        receive(std::exchange(systemHeld_, QByteArray()));
}

void FakeSerialChannel::notifyArrival()
{
    fetchFromSystem();
    if (arrived_)
        arrived_();
}

void FakeSerialChannel::hangUp()
{
    // The real port takes what the system holds along when it finds the loss.
    fetchFromSystem();
    open_ = false;
    lossPending_ = true;
}

void FakeSerialChannel::close()
{
    ++closes;
    open_ = false;
    lossPending_ = false;
    incoming_.clear();   // closing discards what the port holds
    systemHeld_.clear();
    timeline_.add("close");
}

void FakeSerialChannel::closeAll()
{
    if (open_)
        ++closes;
    open_ = false;
    lossPending_ = false;
    incoming_.clear();
    systemHeld_.clear();
    timeline_.add("closeAll");
}

void FakeSerialChannel::receive(const QByteArray &bytes)
{
    receiveWithoutGap(bytes);
    incoming_.push_back(std::nullopt);
}

void FakeSerialChannel::receiveWithoutGap(const QByteArray &bytes)
{
    for (char c : bytes)
        incoming_.push_back(c);
}

QByteArray FakeSerialChannel::written() const
{
    QByteArray all;
    for (const auto &w : writes)
        all += w;
    return all;
}

RecordingPause::RecordingPause(Timeline &timeline) : timeline_(timeline)
{
    real_.setSingleShot(true);
    real_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&real_, &QTimer::timeout, [this] {
        timeline_.add("pause over");
        if (auto over = std::exchange(over_, nullptr))
            over();
    });
}

void RecordingPause::start(int ms, std::function<void()> over)
{
    pauses.push_back(ms);
    if (pollTimer_ && pollTimer_->isActive())
        ++pausesWithPollingOn;
    timeline_.add("pause:" + std::to_string(ms));
    if (during)
        during(ms);
    if (realWait) {
        over_ = std::move(over);
        real_.start(ms);
        return;
    }
    over();
}

void RecordingPause::stop()
{
    real_.stop();
    over_ = nullptr;
}

