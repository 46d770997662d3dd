// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/recording/recordedchannel.h"

#include "unit/errors.h"
#include "window/recording/recording.h"

RecordedChannel::RecordedChannel(SerialChannel &port, Recording &recording)
    : port_(port)
    , recording_(recording)
{
}

void RecordedChannel::open(const PortSettings &settings)
{
    port_.open(settings);
}

void RecordedChannel::write(const QByteArray &bytes)
{
    // In the file before it goes out: a write that hangs or fails is on record with its bytes.
    recording_.lineWriting(bytes);
    try {
        port_.write(bytes);
    } catch (const RixError &e) {
        recording_.lineWriteFailed(QStringLiteral("(Fehler %1) %2").arg(e.number()).arg(QString::fromStdString(e.what())));
        throw;
    } catch (const std::exception &e) {
        recording_.lineWriteFailed(QString::fromStdString(e.what()));
        throw;
    }
}

QByteArray RecordedChannel::taken(QByteArray bytes)
{
    recording_.lineRead(bytes);
    return bytes;
}

QByteArray RecordedChannel::takeAvailable()
{
    return taken(port_.takeAvailable());
}

bool RecordedChannel::holdsUnfetched() const
{
    return port_.holdsUnfetched();
}

QByteArray RecordedChannel::takeRest()
{
    return taken(port_.takeRest());
}

void RecordedChannel::onBytesArrived(std::function<void()> handler)
{
    port_.onBytesArrived(std::move(handler));
}

std::optional<std::uint32_t> RecordedChannel::modemStatus()
{
    return port_.modemStatus();
}

// Also after a loss, when the port has already closed itself: a write still waiting for its
// answer gets its note.
void RecordedChannel::close()
{
    port_.close();
    recording_.lineClosed();
}

void RecordedChannel::closeAll()
{
    port_.closeAll();
    recording_.lineClosed();
}

bool RecordedChannel::isOpen() const
{
    return port_.isOpen();
}
