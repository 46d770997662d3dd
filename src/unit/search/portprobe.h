// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search on one port, as exchanges on the port's conversation: it opens the port at
// 19200, lets what was on its way pass, asks "$RSV" and, when a version came, "$RSRF0" for
// the address digit, each answer taken by what it says within the answer wait; without a
// version it does the same at 4800. Nothing waits inside a call, so many probes run side
// by side on one thread and the window stays answering.

#include "unit/conversation/conversation.h"
#include "unit/search/searchrules.h"

#include <QObject>

#include <memory>
#include <optional>

class SerialChannel;

namespace search {

class PortProbe : public QObject {
    Q_OBJECT
public:
    // `channel` is not open; the probe opens, uses and closes it through its conversation.
    PortProbe(const QString &port, std::unique_ptr<SerialChannel> channel, Timing timing, QObject *parent = nullptr);
    ~PortProbe() override;

    void start();
    bool isDone() const { return done_; }
    const PortOutcome &outcome() const { return outcome_; }

signals:
    void done();

private:
    void openAt(int rateIndex);
    void askVersion();
    void versionReplied(const Conversation::Reply &reply);
    void askAddress();
    void addressReplied(const Conversation::Reply &reply);
    // Hands `request` to the conversation; a port that fails under it ends the probe.
    void submit(Conversation::Request request);
    void failed(std::exception_ptr failure);
    void finish(PortOutcome::Kind kind, const QString &reason);

    // The conversation refers to the channel: the channel is made first and goes last.
    std::unique_ptr<SerialChannel> channel_;
    Conversation line_;
    Timing timing_;
    PortOutcome outcome_;
    int rateIndex_ = 0;
    bool done_ = false;
    QByteArray heard_;   // bytes that came at any rate and were no answer
    std::optional<protocol::VersionAnswer> version_;
};

} // namespace search
