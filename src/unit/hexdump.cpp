// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/hexdump.h"

#include "unit/cp1252.h"
#include "unit/hexdigit.h"

#include <algorithm>

namespace {
constexpr int offsetDigits = 8;
constexpr int offsetWidth = offsetDigits + 2;
} // namespace

int HexLayout::hexColumn(int i) const
{
    return (offsets ? offsetWidth : 0) + i * 3 + (middleGap && i >= perRow / 2 ? 1 : 0);
}

int HexLayout::textColumn() const
{
    // The last byte's digits, its blank, and one more.
    return hexColumn(perRow - 1) + 2 + 2;
}

int HexLayout::rowLength() const
{
    return text ? textColumn() + perRow : hexColumn(perRow - 1) + 2;
}

QString hexDump(QByteArrayView bytes, const HexLayout &layout)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    const int perRow = layout.perRow;
    const qsizetype rows = (size + perRow - 1) / perRow;
    const int rowLength = layout.rowLength();
    QString text(rows * (rowLength + 1), QLatin1Char(' '));
    QChar *out = text.data();
    qsizetype end = 0;
    for (qsizetype row = 0; row < rows; ++row) {
        QChar *line = out + row * (rowLength + 1);
        const qsizetype first = row * perRow;
        if (layout.offsets) {
            for (int d = 0; d < offsetDigits; ++d)
                line[d] = QLatin1Char(hexDigits[(quint64(first) >> (4 * (offsetDigits - 1 - d))) & 0xF]);
        }
        const int inRow = int(std::min<qsizetype>(perRow, size - first));
        for (int i = 0; i < inRow; ++i) {
            const unsigned char byte = data[first + i];
            line[layout.hexColumn(i)] = QLatin1Char(hexDigits[byte >> 4]);
            line[layout.hexColumn(i) + 1] = QLatin1Char(hexDigits[byte & 0xF]);
            // As the lists show it: a control byte as its picture, so ESC and BEL read apart.
            if (layout.text)
                line[layout.textColumn() + i] = cp1252::displayChar(byte);
        }
        end = row * (rowLength + 1)
              + (layout.text ? layout.textColumn() + inRow : layout.hexColumn(inRow - 1) + 2);
        if (row + 1 < rows)
            line[rowLength] = QLatin1Char('\n');
    }
    text.truncate(end);
    return text;
}

QString hexBytes(QByteArrayView bytes)
{
    return hexDump(bytes, HexLayout{int(std::max<qsizetype>(1, bytes.size()))});
}
