// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One run's talk with the unit over its own conversation: the port opened at the chosen
// rate, the reads and writes of parameters with their progress lines, and the check that the
// unit's answers fit the chosen rate. Every step is an exchange on the event loop; each call
// returns at once and its continuation runs when the exchange is over.

#include "param/commandline.h"
#include "unit/conversation/conversation.h"
#include "unit/parameters/parameterexchange.h"
#include "unit/parameters/parameterset.h"
#include "unit/parameters/parametersession.h"

#include <QString>

#include <exception>
#include <functional>
#include <optional>

class SerialChannel;
struct ParamConsole;

// A failure that ends the command with exit code 2; the message is German and complete.
struct ParamFailure {
    QString message;
};

// "F3".
QString parameterName(int n);

class Session : public ParameterWriter {
public:
    Session(const ParamOptions &options, SerialChannel &channel, ParamConsole &console);
    ~Session() override;   // closes the port; no continuation runs any more
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // What ends the command from a read: a parameter without an answer, an answer that does
    // not fit the rate (the message names the other --baud), a port that does not open, a
    // line that went. A write's and a read-back's failures go to their own continuation.
    void onFailure(std::function<void(const QString &message)> failed) { failed_ = std::move(failed); }

    // Opens the port at the chosen rate and lets what was already on its way pass.
    void open(std::function<void()> opened);

    QChar address() const override { return address_; }
    void setAddress(QChar address) override { address_ = address; }

    // Fn's value. A parameter that gives no answer, also on its retry, ends the command; when
    // none has answered yet, the other rate is tried once first, with a read.
    void read(int n, std::function<void(const QString &value)> done);
    // The unit's values of the parameters `set` holds, in order.
    void readPresent(const ParameterSet &set, std::function<void(const ParameterSet &unit)> done);
    // Fn's value read back after a write; empty when no answer came, also on the retry.
    void readBack(int n, QChar address,
                  std::function<void(const std::optional<QString> &value, const QString &failure)> done) override;
    void write(int n, const QString &value, std::function<void(const QString &failure)> done) override;

    void progress(const QString &text);

    // The port is given up (every port the channel holds closed); nothing of this session
    // runs any more.
    void close();

private:
    void openAt(const QString &baud, const std::function<void()> &opened);
    void readFrom(const ParameterSet &set, int n, ParameterSet unit,
                  const std::function<void(const ParameterSet &)> &done);
    // Fn gave no answer; when no parameter has answered yet, the other rate is tried once,
    // with a read, which changes nothing on the unit.
    void noAnswer(int n, const Heard &heard);
    void otherRateAnswered(int n, const QString &message, bool answered);
    void fail(const QString &message);
    // Runs `step` on the conversation; a failure it throws is the line's, or the command's.
    void talk(const std::function<void()> &step);
    void failed(std::exception_ptr failure);
    QString lineGone() const;

    const ParamOptions &options_;
    ParamConsole &console_;
    Conversation line_;
    ParameterLine use_;
    QChar address_;
    bool answered_ = false;   // some parameter has answered in this run
    bool over_ = false;       // closed: a late continuation finds nothing to do
    QString lost_;            // why the line went, as the port said
    std::function<void(const QString &)> failed_;
};
