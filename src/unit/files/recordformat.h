// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lines of a recording ("Mitschnitt"): UTF-8 text, one line per entry.
//
//   # 2026-12-07 18:13:51.000 Verbunden: (S) /dev/ttyUSB0:19200,n,8,1
//   > 2026-12-07 18:13:51.100<TAB>$RSRF0
//   < 2026-12-07 18:13:51.290<TAB>SRF0F011\r\n
//   2026-12-07 18:13:51.312<TAB>$RSRF0<TAB>F011
//   2026-12-07 18:13:52.312<TAB>$RSE1
//   # 2026-12-07 18:13:52.004 Getrennt
//
// "#": a marker, the time and what happened. ">": bytes the program wrote to the port, as
// written. "<": bytes that came off the line, as they came (before the lists' display rule
// cut an echo, a repeated address or a CR LF). A line that starts with the date is a shown
// record: the time its lines were shown, the command list's line and, after a second TAB, the
// answer list's line; with no second TAB the answer list got no line (an empty line there
// ends in the TAB). Recordings of earlier versions hold only shown records and markers, and
// always the second TAB.
//
// Bytes are Windows-1252 and written as their characters in UTF-8, escaped as escapedbytes.h
// says: CR, LF, TAB and the backslash as \r, \n, \t and \\, and every other byte below 0x20,
// 0x7F, the five bytes the code page has no character for (0x81, 0x8D, 0x8F, 0x90, 0x9D) and
// the soft hyphen 0xAD as \xHH. So an entry stays one line, its fields stay apart, every tool
// sees text without a control byte or an invisible one, and every byte reads back as it was
// (a soft hyphen written raw by earlier versions too). The lists' "Speichern unter …" writes a
// line's bytes the same way.

#include "unit/localtimetext.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <optional>
#include <string_view>

namespace recordformat {

// The most bytes one byte takes in a field ("\xHH").
constexpr std::size_t maxFieldBytesPerByte = 4;
// Writes `size` bytes as a field's text at `out` (at most maxFieldBytesPerByte per byte)
// and returns its end.
char *writeField(const char *bytes, std::size_t size, char *out);
// Appends `bytes` (Windows-1252) as one field.
void appendField(QByteArray &out, std::string_view bytes);
// The Windows-1252 bytes of a field; empty when it is not one (a stray backslash, a character
// the code page lacks, a TAB or line break, broken UTF-8). Control bytes written raw by
// earlier versions read back as they are.
std::optional<QByteArray> fieldBytes(QByteArrayView field);

// Writes local times as "yyyy-MM-dd HH:mm:ss.zzz". Keeps the date and time of the last second
// it wrote, so that lines within one second cost no time-zone lookup.
class TimeStamp {
public:
    void append(QByteArray &out, qint64 msecsSinceEpoch);

private:
    LocalTimeText text_;
};

// A shown record, "\n" included; `answer` empty: the answer list got no line.
void appendRecord(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view commandLine,
                  std::optional<std::string_view> answer);
// The bytes written to the port (">") or taken from it ("<"), "\n" included.
void appendSent(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view bytes);
void appendReceived(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view bytes);
// A marker line, "\n" included: "# ", the time, a blank, `text` (its line breaks, TABs,
// backslashes and control characters escaped as in a field).
void appendMarker(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, const QString &text);
// The marker's text when the user cleared the window's lists: "Listen geleert (Befehle: 12
// Zeilen, Antworten: 1 Zeile)". The records before it are the lines that were cleared; the
// lists begin anew after it, while the recording keeps everything.
QString listsClearedText(qint64 commandLines, qint64 answerLines);

// One line read back (without its "\n"): every kind of line, through the one reader of the
// format (recordline.h).
struct Record {
    enum class Kind { Shown, Sent, Received, Marker };
    Kind kind = Kind::Shown;
    QByteArray time;          // "yyyy-MM-dd HH:mm:ss.zzz"
    QByteArray commandLine;   // Shown: the command list's line
    QByteArray answer;        // Shown: the answer list's line; empty when it got none
    bool answerLine = false;  // Shown: the answer list got a line (it may be empty)
    QByteArray bytes;         // Sent, Received: the bytes on the line
    QString text;             // Marker: what happened
};
// Empty for a line that is none of them.
std::optional<Record> readRecord(QByteArrayView line);

} // namespace recordformat
