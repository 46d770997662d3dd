// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/escapedbytes.h"

#include "unit/cp1252.h"
#include "unit/hexdigit.h"

QString escapedBytes(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        const QChar c = cp1252::decodeByte(byte);
        if (byte == '\r')
            text += QStringLiteral("\\r");
        else if (byte == '\n')
            text += QStringLiteral("\\n");
        else if (byte == '\t')
            text += QStringLiteral("\\t");
        else if (byte == '\\')
            text += QStringLiteral("\\\\");
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            text += QStringLiteral("\\x") + QLatin1Char(hexDigits[byte >> 4]) + QLatin1Char(hexDigits[byte & 0xF]);
        else
            text += c;
    }
    return text;
}
