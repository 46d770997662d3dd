// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/cp1252.h"

#include "unit/cp1252table.h"

namespace {
std::optional<unsigned char> encodeChar(QChar c)
{
    const int byte = cp1252::byteOf(c.unicode());
    if (byte < 0)
        return std::nullopt;
    return static_cast<unsigned char>(byte);
}
} // namespace

namespace cp1252 {

QChar decodeByte(unsigned char byte)
{
    return QChar(characterOf(byte));
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
