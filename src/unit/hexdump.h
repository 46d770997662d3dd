// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bytes as rows of hex, wherever the program shows them so: the line inspector's dump
// ("00000010  1B 5B 31 …  42 43  ␛[1…"), a list line's tool tip (rows of "1B 5B 31"), and the
// hex a technician copies ("1B 5B 31"). One layout, so the columns a selection in the dump is
// mapped back by are the columns the dump was written with.

#include <QByteArrayView>
#include <QString>

struct HexLayout {
    int perRow = 16;          // at least 1
    bool offsets = false;     // "00000010  " before each row
    bool middleGap = false;   // one more blank after the row's first half
    bool text = false;        // the bytes as the lists show them, after the hex

    // Where byte `i` of a row starts its two digits, where the row's text starts, and how
    // long a full row is.
    int hexColumn(int i) const;
    int textColumn() const;
    int rowLength() const;
};

// Rows are joined by '\n', without one at the end. A short last row ends after its text (or
// after its last digits without text); its text column stays where the full rows have it.
QString hexDump(QByteArrayView bytes, const HexLayout &layout);

// "1B 5B 31": all bytes in one row.
QString hexBytes(QByteArrayView bytes);
