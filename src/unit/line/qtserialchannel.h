// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real serial port: QSerialPort on the GUI thread. Reading takes what Qt has buffered
// from its read notifier; only a write blocks, on the device (no event loop runs), at most
// its write time-out.

#include "unit/errors.h"
#include "unit/line/serialchannel.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPort>
#include <functional>
#include <optional>

class QtSerialChannel : public QObject, public SerialChannel {
    Q_OBJECT
public:
    static constexpr int writeTimeoutBaseMs = 20;      // the write time-out is the base …
    static constexpr int writeTimeoutPerByteMs = 20;   // … plus this much for every byte

    explicit QtSerialChannel(QObject *parent = nullptr);
    ~QtSerialChannel() override;

    void open(const PortSettings &settings) override;
    void write(const QByteArray &bytes) override;
    QByteArray takeAvailable() override;
    bool holdsUnfetched() const override;
    QByteArray takeRest() override;
    void onBytesArrived(std::function<void()> handler) override;
    std::optional<std::uint32_t> modemStatus() override;   // empty when the port has no modem lines
    void close() override;
    void closeAll() override;
    bool isOpen() const override;

    // The rate the line runs at (or will run at on the next open when the baud text is
    // not a number): the one of the last valid connect, QSerialPort's default before any.
    qint32 baudRate() const { return baudRate_; }

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void throwIfUnusable();
    // Blocks until every byte is out or the deadline passes; throws when the port is lost
    // meanwhile.
    void waitUntilWritten(const QDeadlineTimer &deadline);
    void closePort();
    // The port is gone: keeps what was read (Qt's buffer and what the system still hands
    // over), records why, closes.
    void loseLine(const PortLostError &why);
    // Throws the loss once; the line is then LostReported.
    void reportLoss();

    // Where the line is. A loss closes the port under the program: it is reported once (the
    // next read or write throws), then what was read before it is handed out once, until the
    // program closes or opens the port.
    enum class Line {
        Closed,
        Open,
        LostUnreported,   // closed under the program; `lostBecause_` says why
        LostReported,     // the loss was reported; `kept_` waits to be taken
    };

    QSerialPort port_;
    QString deviceName_;                 // the device as opened, for messages
    qint32 baudRate_;
    int lockedHandle_ = -1;              // the handle holding our flock, -1 when none
    Line line_ = Line::Closed;
    std::optional<PortLostError> lostBecause_;
    QByteArray kept_;                    // read before the loss and not yet taken
    std::function<void()> arrived_;
};
