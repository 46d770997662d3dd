#pragma once
// Turning one received burst into the lines the two lists get. Pure, so every rule of
// where an answer starts can be tested without a window.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

struct BurstLines {
    std::int16_t displayStart = 1;        // position (from 1) where the unit's answer begins
    std::optional<QByteArray> answer;     // the line for lbrx; empty when the answer part is blank
};

// `received`: the burst as read (first byte kept even if CR or LF, later CR/LF already
// dropped). `commandLine`: the text of ed1. The line for lb2 is always the command line.
BurstLines processBurst(const QByteArray &received, const QString &commandLine, const QString &baudText,
                        std::int16_t buttonCommandFlag);

// Appends `c` to a burst under the reading rule: the first byte is kept whatever it is,
// later CRs and LFs are dropped.
inline void appendToBurst(QByteArray &burst, char c)
{
    if (burst.isEmpty() || (c != '\r' && c != '\n'))
        burst.append(c);
}
