// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of a recording ("Mitschnitt"): UTF-8, one line per record.
//
//   2026-12-07 18:13:51.123<TAB>$RSRF0<TAB>F011
//   # 2026-12-07 18:13:52.004 Getrennt
//
// A record is a shown burst: local date and time to the millisecond, the command-line list's
// line and the answer list's line (empty when that list got none). A line starting with "#"
// is a marker: the time and what happened. The lists' Windows-1252 bytes are written as their
// characters in UTF-8; CR, LF, TAB and the backslash become \r, \n, \t and \\, so a record
// stays one line, its fields stay apart, and every byte reads back as it was.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <ctime>
#include <optional>
#include <string_view>

namespace recordformat {

// Appends `bytes` (Windows-1252) as one field: UTF-8, with the four escapes.
void appendField(QByteArray &out, std::string_view bytes);
// The Windows-1252 bytes of a field; empty when it is not one (a stray backslash, a character
// the code page lacks, a TAB or line break, broken UTF-8).
std::optional<QByteArray> fieldBytes(QByteArrayView field);

// Writes local times as "yyyy-MM-dd HH:mm:ss.zzz". Keeps the date and time of the last second
// it wrote, so that lines within one second cost no time-zone lookup.
class TimeStamp {
public:
    void append(QByteArray &out, qint64 msecsSinceEpoch);

private:
    std::time_t second_ = -1;
    char text_[20] = {};   // "yyyy-MM-dd HH:mm:ss"
};

// A record line, "\n" included.
void appendRecord(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view commandLine,
                  std::optional<std::string_view> answer);
// A marker line, "\n" included: "# ", the time, a blank, `text` (escaped as a field's text is).
void appendMarker(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, const QString &text);

// A record line read back (without its "\n"); empty for a marker or a line that is not a record.
struct Record {
    QByteArray time;
    QByteArray commandLine;
    QByteArray answer;
};
std::optional<Record> readRecord(QByteArrayView line);

} // namespace recordformat
