// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything on the line is single bytes in the Windows-1252 code page.
//
// The table is the program's own: Qt 6 has no Windows-1252 codec of its own (QStringConverter
// knows only the UTF encodings and Latin-1; other code pages come only through ICU, which a
// Qt build may lack), and Latin-1 would turn 0x80..0x9F (€, „, “, Š …) into C1 controls. The
// table is small and fixed, and it makes every byte survive the round trip exactly, which a
// codec need not promise for the five undefined bytes.

#include <QByteArray>
#include <QString>
#include <optional>

namespace cp1252 {

// Bytes to text. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 control of the same value, so every byte survives a round trip.
QString decode(const QByteArray &bytes);
QChar decodeByte(unsigned char byte);

// Text to bytes; empty when a character has no Windows-1252 byte.
std::optional<QByteArray> encode(const QString &text);
bool canEncode(QChar c);

// Text for painting a received line: control bytes become the visible control pictures
// (U+2400 + code, U+2421 for DEL), so a stray CR or ESC can neither break the line nor vanish;
// the five undefined bytes show as U+FFFD.
QString decodeForDisplay(const QByteArray &bytes);
// One byte as decodeForDisplay shows it.
QChar displayChar(unsigned char byte);

} // namespace cp1252
