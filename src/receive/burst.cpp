#include "receive/burst.h"

#include <algorithm>

namespace {
// Positions count from 1; a position past the end gives the empty text.
QByteArray fromPosition(const QByteArray &text, int position)
{
    const int start = std::max(position, 1) - 1;
    return start >= text.size() ? QByteArray() : text.mid(start);
}

bool isBlank(const QByteArray &text)
{
    // Only blanks count as empty, as the unit pads with them; a TAB or a CR is content.
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}
} // namespace

BurstLines processBurst(const QByteArray &received, const QString &commandLine, const QString &baudText,
                        std::int16_t buttonCommandFlag)
{
    // ed1 holds at most 1024 characters, so these stay well inside 16 bits.
    const int length = int(commandLine.size());
    // At 4800 the unit sends the command back ahead of its answer.
    const int displayStart = baudText == QLatin1String("4800") ? length + 1 : 1;

    BurstLines lines;
    lines.displayStart = std::int16_t(displayStart);
    if (isBlank(fromPosition(received, displayStart)))
        return lines;

    // After a command button the answer repeats the address and the command letters;
    // L - 2 of them are skipped. Where that start falls below 1 (ed1 shorter than two
    // characters) the line starts at the first character.
    const int shownFrom = buttonCommandFlag == 1 ? length + displayStart - 2 : displayStart;
    lines.answer = fromPosition(received, shownFrom);
    return lines;
}
