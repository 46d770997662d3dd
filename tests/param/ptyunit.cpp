// SPDX-License-Identifier: GPL-3.0-or-later
#include "ptyunit.h"

#include <unistd.h>

namespace {
constexpr qsizetype readLength = 6;    // "$RSRF3"
constexpr qsizetype writeLength = 10;  // "$RSPF30E3C"
} // namespace

PtyUnit::PtyUnit()
    : notifier_(std::make_unique<QSocketNotifier>(pty_.masterFd(), QSocketNotifier::Read))
{
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readable(); });
}

void PtyUnit::pull()
{
    pulled_ = true;
    notifier_->setEnabled(false);
    pty_.closeMaster();
}

std::vector<QByteArray> PtyUnit::writes() const
{
    std::vector<QByteArray> writes;
    for (const QByteArray &command : commands)
        if (command.mid(3, 2) == "PF")
            writes.push_back(command);
    return writes;
}

void PtyUnit::readable()
{
    char buffer[256];
    for (ssize_t n; !pulled_ && (n = ::read(pty_.masterFd(), buffer, sizeof buffer)) > 0;)
        incoming_.append(buffer, n);
    while (!pulled_ && takeCommand()) {
    }
}

bool PtyUnit::takeCommand()
{
    const qsizetype start = incoming_.indexOf('$');
    if (start < 0) {
        incoming_.clear();
        return false;
    }
    incoming_.remove(0, start);
    if (incoming_.size() < readLength)
        return false;
    const bool isWrite = incoming_.mid(3, 2) == "PF";
    const qsizetype length = isWrite ? writeLength : readLength;
    if (incoming_.size() < length)
        return false;
    const QByteArray command = incoming_.left(length);
    incoming_.remove(0, length);
    commands.push_back(command);
    at.push_back(std::chrono::steady_clock::now());
    const int n = command.at(5) - '0';
    if (n < 0 || n > 6)
        return true;
    if (isWrite) {
        values[n] = command.mid(6);
        if (afterWrite)
            afterWrite(++writes_);
    } else if (command.mid(3, 2) == "RF") {
        pty_.write(values[0].left(1) + "RF" + QByteArray::number(n) + values[n] + "\r\n");
    }
    return true;
}
