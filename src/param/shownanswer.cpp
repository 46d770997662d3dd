#include "param/shownanswer.h"

#include "receive/burst.h"

QByteArray shownAnswer(const QByteArray &burst, const QByteArray &command, const QString &baudText)
{
    QByteArray received;
    received.reserve(burst.size());
    for (const char c : burst)
        appendToBurst(received, c);
    // Commands are plain ASCII, so Latin-1 gives the command line's text and its length.
    const BurstLines lines = processBurst(received, QString::fromLatin1(command), baudText, 1);
    return lines.answer.value_or(QByteArray());
}
