// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A serial port. No call runs the event loop. Reading never waits: it takes what has
// arrived. A write blocks at most its write time-out (until the bytes are out), without the
// event loop. The program talks to a port only through a Conversation, which owns it.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct PortSettings {
    QString portName;   // as the user typed it ("COM1", "/dev/ttyUSB0", …)
    QString baudText;   // e.g. "19200"; the line is always 8 data bits, no parity, 1 stop bit
};

namespace ModemLine {
constexpr std::uint32_t cts = 0x10;
constexpr std::uint32_t dsr = 0x20;
constexpr std::uint32_t ri = 0x40;
constexpr std::uint32_t dcd = 0x80;   // RLSD
}

class SerialChannel {
public:
    virtual ~SerialChannel() = default;
    virtual void open(const PortSettings &settings) = 0;   // throws RixError when the port cannot be opened
    virtual void write(const QByteArray &bytes) = 0;       // throws SerialError
    // What has arrived; empty if nothing; throws SerialError. A port lost under the program
    // throws PortLostError once, then hands out what it had read before the loss, once,
    // until the program closes or opens it.
    virtual QByteArray takeAvailable() = 0;
    // Whether the system has received bytes (or a hang-up) that the port has not fetched
    // yet: its notifier will, from the event loop. Waits for nothing.
    virtual bool holdsUnfetched() const { return false; }
    // The port is being given up: what it has and what the system still holds, read now
    // without waiting (only just before a close).
    virtual QByteArray takeRest() { return takeAvailable(); }
    // `handler` runs from the event loop whenever new bytes have arrived; it may call
    // takeAvailable().
    virtual void onBytesArrived(std::function<void()> handler) = 0;
    virtual std::optional<std::uint32_t> modemStatus() = 0;  // ModemLine bits; empty when the port has no modem lines
    virtual void close() = 0;
    virtual void closeAll() = 0;                           // closes the channel if it is open
    virtual bool isOpen() const = 0;
};
