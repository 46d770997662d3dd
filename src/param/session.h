// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One run's talk with the unit: the port opened at the chosen rate, the reads and writes
// of parameters with their progress lines, and the check that the unit's answers fit the
// chosen rate.

#include "param/commandline.h"
#include "unit/parameters/unitline.h"
#include "unit/parameters/parameterset.h"
#include "unit/parameters/parametersession.h"

#include <QString>

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
    ~Session() override;   // closes the port
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Opens the port at the chosen rate and lets what was already on its way pass.
    void open();

    QChar address() const override { return address_; }
    void setAddress(QChar address) override { address_ = address; }

    // Fn's value. A parameter that gives no answer, also on its retry, ends the command, as
    // does an answer that does not fit the rate (the message names the other --baud).
    QString read(int n);
    // Fn's value read back after a write; empty when no answer came, also on the retry.
    std::optional<QString> readBack(int n, QChar address) override;
    void write(int n, const QString &value) override;

    // The unit's values of the parameters `set` holds, in order.
    ParameterSet readPresent(const ParameterSet &set);

    void progress(const QString &text);

private:
    void openAt(const QString &baud);
    QString otherBaud() const;
    // The rate the answers showed is not the rate asked for: the user is told which to use.
    void checkRate(int n, const protocol::ReadAnswer &answer) const;
    // Fn gave no answer; when no parameter has answered yet, the other rate is tried once,
    // with a read, which changes nothing on the unit.
    [[noreturn]] void noAnswer(int n, const UnitLine::Heard &heard);

    const ParamOptions &options_;
    SerialChannel &channel_;
    ParamConsole &console_;
    QChar address_;
    std::optional<UnitLine> line_;
    bool answered_ = false;   // some parameter has answered in this run
};
