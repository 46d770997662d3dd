// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search on one port, driven by the event loop: it opens the port at 19200, lets what
// was on its way pass, asks "$RSV" and, when a version came, "$RSRF0" for the address
// digit; without an answer it does the same at 4800. It never waits inside a call, so many
// probes run side by side on one thread and the window stays answering.

#include "unit/search/searchrules.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class SerialChannel;

namespace search {

class PortProbe : public QObject {
    Q_OBJECT
public:
    // `channel` is not open; the probe opens, uses and closes it.
    PortProbe(const QString &port, std::unique_ptr<SerialChannel> channel, Timing timing, QObject *parent = nullptr);
    ~PortProbe() override;

    void start();
    bool isDone() const { return step_ == Step::Done; }
    const PortOutcome &outcome() const { return outcome_; }

signals:
    void done();

private:
    enum class Step { Idle, Settling, AskingVersion, Pausing, AskingAddress, Done };

    void openAt(int rateIndex);
    void onBytes();
    void onTimer();
    void ask(const QByteArray &request, Step step);
    // Looks at what arrived for the request on the line; `quiet`: the line has fallen quiet.
    void evaluate(bool quiet);
    void found(std::optional<QChar> address);
    void finish(PortOutcome::Kind kind, const QString &reason);
    void take();

    std::unique_ptr<SerialChannel> channel_;
    Timing timing_;
    PortOutcome outcome_;
    Step step_ = Step::Idle;
    int rateIndex_ = 0;
    QTimer timer_;
    QElapsedTimer sinceRequest_;
    QByteArray arrived_;   // since the current request
    QByteArray heard_;     // bytes that came at any rate and were no answer
    std::optional<VersionAnswer> version_;
};

} // namespace search
