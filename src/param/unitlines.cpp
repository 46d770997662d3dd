// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/unitlines.h"

int SharedLines::putLine(const QString &line)
{
    target_ << line << '\n';
    return target_.failed() ? target_.failureNumber() : 0;
}

UnitLines::UnitLines(SharedLines *shared, const QString &port)
    : shared_(shared)
    , prefix_(port + QStringLiteral(": "))
{
}

int UnitLines::putLine(const QString &line)
{
    lines_ << line;
    return shared_ ? shared_->putLine(prefix_ + line) : 0;
}

int UnitLines::put(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    text_ += text;
    pending_ += text;
    for (qsizetype end = pending_.indexOf(QLatin1Char('\n')); end >= 0; end = pending_.indexOf(QLatin1Char('\n'))) {
        const QString line = pending_.left(end);
        pending_.remove(0, end + 1);
        if (const int error = putLine(line))
            return error;
    }
    return 0;
}

void UnitLines::finish()
{
    if (!pending_.isEmpty())
        putLine(std::exchange(pending_, QString()));
}
