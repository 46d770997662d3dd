// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit on a channel, for rix-param's tests without a pseudo-terminal: it answers each
// read with its stored value (after the command itself at 4800, as the unit does), takes
// writes, and records every command with the moment it was written.

#include "param/paramcommands.h"
#include "param/stopsignals.h"
#include "unit/line/serialchannel.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <vector>

class AnsweringUnit : public SerialChannel {
public:
    void open(const PortSettings &settings) override;
    void write(const QByteArray &bytes) override;
    QByteArray takeAvailable() override;
    void onBytesArrived(std::function<void()> handler) override { arrived_ = std::move(handler); }
    std::optional<std::uint32_t> modemStatus() override { return std::nullopt; }
    void close() override { open_ = false; }
    void closeAll() override { open_ = false; }
    bool isOpen() const override { return open_; }

    // The commands that were parameter writes ("PF"), in order.
    std::vector<QByteArray> parameterWrites() const;

    std::vector<QByteArray> written;
    std::vector<std::chrono::steady_clock::time_point> writtenAt;
    QByteArray values[7] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    // Sent as it is in front of every answer: text the unit did not mean as one.
    QByteArray noiseBefore;

private:
    bool echo_ = false;
    bool open_ = false;
    QByteArray incoming_;
    std::function<void()> arrived_;
    QObject context_;   // ends a pending answer with the unit
};

// A stop request that comes once `unit` has seen `writes` parameter writes (never with 0),
// as a Ctrl-C that arrives while the write of that parameter is on the line.
class StopAfterWrites : public StopRequest {
public:
    StopAfterWrites(const AnsweringUnit &unit, std::size_t writes, int signal)
        : unit_(unit), writes_(writes), signal_(signal) {}
    void holdSignals() override { held = true; }
    int pending() const override
    {
        return writes_ > 0 && unit_.parameterWrites().size() >= writes_ ? signal_ : 0;
    }
    bool held = false;

private:
    const AnsweringUnit &unit_;
    std::size_t writes_;
    int signal_;
};

struct ParamRun {
    ParamEnd end;
    QString out, err;
};

// Runs the command of `options` over `channel` on the event loop until it has finished.
ParamEnd runCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console);

// rix-param with `arguments` (the port is the unit) and no terminal: `--yes` writes.
ParamRun runRixParam(const QStringList &arguments, AnsweringUnit &unit, StopRequest *stop = nullptr);
