// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where rix-param talks to its user: standard output for results, standard error for
// progress, messages and the report of a write; the yes/no question; the stop signals.

#include <QByteArray>
#include <QString>

#include <functional>

class StopRequest;

// Text that goes out as UTF-8 and whose every write is checked to its end. After the first
// failure nothing more is written and failure() says why, in German.
class TextOutput {
public:
    virtual ~TextOutput() = default;

    TextOutput &operator<<(const QString &text);
    TextOutput &operator<<(const char *utf8);
    TextOutput &operator<<(char c);
    TextOutput &operator<<(long long number);
    TextOutput &operator<<(int number) { return *this << static_cast<long long>(number); }
    TextOutput &operator<<(long number) { return *this << static_cast<long long>(number); }
    TextOutput &operator<<(unsigned long number) { return *this << static_cast<long long>(number); }

    bool failed() const { return !failure_.isEmpty(); }
    QString failure() const { return failure_; }
    // The system's error number of the failure, 0 while there is none.
    int failureNumber() const { return failureNumber_; }

protected:
    // Writes all of `bytes`; 0, or the system's error number.
    virtual int put(const QByteArray &bytes) = 0;

private:
    QString failure_;
    int failureNumber_ = 0;
};

// A file descriptor: standard output or standard error. Unbuffered, so that a line is out
// before the step after it (a progress line before the write it announces).
class DescriptorOutput : public TextOutput {
public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}

protected:
    int put(const QByteArray &bytes) override;

private:
    int fd_;
};

// Text kept in memory, for tests.
class StringOutput : public TextOutput {
public:
    QString text;

protected:
    int put(const QByteArray &bytes) override;
};

// "j", "ja", "y" and "yes", in any case and with blanks around them, say yes; anything
// else, an empty line and the end of the input say no.
bool isYes(const QString &answer);

struct ParamConsole {
    TextOutput &out;
    TextOutput &err;
    bool terminal = false;   // whether there is a terminal to ask on
    std::function<bool(const QString &question)> confirm;
    StopRequest &stop;
};
