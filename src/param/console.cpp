// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/console.h"

#include "unit/systemreason.h"

#include <cerrno>

#include <unistd.h>

TextOutput &TextOutput::operator<<(const QString &text)
{
    if (failure_.isEmpty() && !text.isEmpty()) {
        if (const int error = put(text.toUtf8())) {
            failureNumber_ = error;
            failure_ = error == EPIPE ? QStringLiteral("Die Ausgabe ist geschlossen: das Programm, das sie lesen sollte, ist beendet.")
                                      : systemReason(error);
        }
    }
    return *this;
}

TextOutput &TextOutput::operator<<(const char *utf8)
{
    return *this << QString::fromUtf8(utf8);
}

TextOutput &TextOutput::operator<<(char c)
{
    return *this << QString(QLatin1Char(c));
}

TextOutput &TextOutput::operator<<(long long number)
{
    return *this << QString::number(number);
}

int DescriptorOutput::put(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

int StringOutput::put(const QByteArray &bytes)
{
    text += QString::fromUtf8(bytes);
    return 0;
}

bool isYes(const QString &answer)
{
    const QString word = answer.trimmed().toLower();
    return word == QLatin1String("j") || word == QLatin1String("ja") || word == QLatin1String("y")
        || word == QLatin1String("yes");
}
