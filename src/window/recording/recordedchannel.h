// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The port as the program uses it: the real one (or a test's), with the recording watching.
// Every write and every byte taken passes through here, so no path that writes or reads the
// port can be left out of a recording: the bytes about to be written (and a write that fails),
// the bytes taken, the port closed. Everything else is the port's own.

#include "unit/line/serialchannel.h"

class Recording;

class RecordedChannel : public SerialChannel {
public:
    RecordedChannel(SerialChannel &port, Recording &recording);

    void open(const PortSettings &settings) override;
    void write(const QByteArray &bytes) override;
    QByteArray takeAvailable() override;
    bool holdsUnfetched() const override;
    QByteArray takeRest() override;
    void onBytesArrived(std::function<void()> handler) override;
    std::optional<std::uint32_t> modemStatus() override;
    void close() override;
    void closeAll() override;
    bool isOpen() const override;

private:
    QByteArray taken(QByteArray bytes);

    SerialChannel &port_;
    Recording &recording_;
};
