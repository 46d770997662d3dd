// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/cp1252.h"

#include <array>

namespace {
// 0x80..0x9F; the undefined positions keep their C1 code.
constexpr std::array<char16_t, 32> highTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<unsigned char> encodeChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (std::size_t i = 0; i < highTable.size(); ++i)
        if (highTable[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}
} // namespace

namespace cp1252 {

QChar decodeByte(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(highTable[byte - 0x80]);
    return QChar(byte);
}

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes)
        *out++ = decodeByte(static_cast<unsigned char>(b));
    return text;
}

QChar displayChar(unsigned char byte)
{
    if (byte < 0x20)
        return QChar(char16_t(0x2400 + byte));
    if (byte == 0x7F)
        return QChar(char16_t(0x2421));
    if (const QChar c = decodeByte(byte); c.category() != QChar::Other_Control)
        return c;
    return QChar(char16_t(0xFFFD));   // the five undefined bytes: no picture exists
}

QString decodeForDisplay(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes)
        *out++ = displayChar(static_cast<unsigned char>(b));
    return text;
}

bool canEncode(QChar c)
{
    return encodeChar(c).has_value();
}

std::optional<QByteArray> encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const auto byte = encodeChar(c);
        if (!byte)
            return std::nullopt;
        bytes.append(static_cast<char>(*byte));
    }
    return bytes;
}

} // namespace cp1252
