// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a list line is written out: as shown text (control bytes as visible symbols), as a hover
// tip (time of day, byte count, hex) and as a line of a saved file ("HH:MM:SS.mmm<Tab>text\n" in
// UTF-8). A saved line's text is written as a recording writes its fields (recordformat.h):
// the characters of the bytes, control and unmapped bytes as \xHH, CR, LF, TAB and the backslash
// as \r, \n, \t and \\, so the two files say a line alike and every byte reads back.

#include "unit/files/recordformat.h"
#include "unit/localtimetext.h"

#include <QString>
#include <QtGlobal>

#include <cstddef>

namespace lineformat {

// The shown text of `length` Windows-1252 bytes.
QString shownText(const char *bytes, int length);

// A list paints a control byte (below 0x20, and DEL) as its name in a small box, controlCells
// columns wide, so that ESC and BEL read apart at any font size and whatever fonts are
// installed; every other byte takes one column.
constexpr int controlCells = 3;
inline bool isControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }
// "NUL", "BEL", "ESC", "CR", "LF", "DEL" …; empty for a byte that is no control byte.
const char *controlName(unsigned char byte);
// The columns `length` bytes take.
qint64 columns(const char *bytes, int length);

// The local time the line was added, its byte count and its first 64 bytes in hex, 16 to a row,
// then " …" when there are more.
QString toolTip(const char *bytes, int length, qint64 addedMSecsSinceEpoch);

// Writes "HH:MM:SS.mmm" of local time into a buffer, as every file of the program writes it.
class TimeOfDayWriter {
public:
    static constexpr int timeTextLength = LocalTimeText::timeOfDayLength;
    // Writes timeTextLength characters at `out` and returns the end.
    char *write(qint64 msecsSinceEpoch, char *out);

private:
    LocalTimeText text_;
};

// The most bytes a file line of `length` bytes can take: time, tab, a field's most per byte
// ("\xHH"), newline.
constexpr std::size_t maxFileLineSize(int length)
{
    return std::size_t(TimeOfDayWriter::timeTextLength) + 2 + recordformat::maxFieldBytesPerByte * std::size_t(length);
}

// Writes one file line at `out` (at most maxFileLineSize(length) bytes) and returns its end.
char *writeFileLine(const char *bytes, int length, qint64 addedMSecsSinceEpoch, TimeOfDayWriter &time,
                    char *out);

} // namespace lineformat
