// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/recordformat.h"

#include "unit/escapedbytes.h"
#include "unit/files/recordline.h"

#include <array>
#include <cstring>
#include <utility>

namespace recordformat {

namespace {

static_assert(recordline::timeLength == LocalTimeText::dateTimeLength, "the times written are the times read");

// Each Windows-1252 byte as it goes into a field: the UTF-8 bytes of its escaped text.
struct Encoded {
    char bytes[maxFieldBytesPerByte];
    unsigned char size;
};

std::array<Encoded, 256> makeTable()
{
    std::array<Encoded, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QByteArray utf8 = escapedBytes(QByteArrayView(&byte, 1)).toUtf8();
        Encoded &e = table[std::size_t(b)];
        std::memcpy(e.bytes, utf8.constData(), std::size_t(utf8.size()));
        e.size = static_cast<unsigned char>(utf8.size());
    }
    return table;
}

const std::array<Encoded, 256> &table()
{
    static const std::array<Encoded, 256> encoded = makeTable();
    return encoded;
}

// The marker's own text: already Unicode, so only the escapes, which are all ASCII.
void appendEscapedUtf8(QByteArray &out, const QByteArray &utf8)
{
    const std::array<Encoded, 256> &encoded = table();
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            const Encoded &e = encoded[b];
            out.append(e.bytes, e.size);
        } else {
            out += c;
        }
    }
}

void appendMarked(QByteArray &out, char mark, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view bytes)
{
    out += mark;
    out += ' ';
    time.append(out, msecsSinceEpoch);
    out += '\t';
    appendField(out, bytes);
    out += '\n';
}

} // namespace

char *writeField(const char *bytes, std::size_t size, char *out)
{
    const std::array<Encoded, 256> &encoded = table();
    for (std::size_t i = 0; i < size; ++i) {
        // Runs of printable ASCII, nearly all of what a unit sends, are copied as they are.
        std::size_t plain = i;
        while (plain < size && bytes[plain] >= 0x20 && bytes[plain] < 0x7F && bytes[plain] != '\\')
            ++plain;
        if (plain > i) {
            std::memcpy(out, bytes + i, plain - i);
            out += plain - i;
            i = plain;
            if (i == size)
                break;
        }
        const Encoded &e = encoded[static_cast<unsigned char>(bytes[i])];
        // Always four: the unused ones are overwritten by the next byte or cut off.
        out[0] = e.bytes[0];
        out[1] = e.bytes[1];
        out[2] = e.bytes[2];
        out[3] = e.bytes[3];
        out += e.size;
    }
    return out;
}

void appendField(QByteArray &out, std::string_view bytes)
{
    const qsizetype start = out.size();
    // Worst case four bytes for one; the unused end is cut off below.
    out.resize(start + qsizetype(bytes.size() * maxFieldBytesPerByte));
    const char *end = writeField(bytes.data(), bytes.size(), out.data() + start);
    out.truncate(end - out.constData());
}

std::optional<QByteArray> fieldBytes(QByteArrayView field)
{
    std::string bytes;
    if (!recordline::appendFieldBytes(std::string_view(field.data(), std::size_t(field.size())), bytes))
        return std::nullopt;
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

void TimeStamp::append(QByteArray &out, qint64 msecsSinceEpoch)
{
    char text[LocalTimeText::dateTimeLength];
    out.append(text, text_.writeDateTime(msecsSinceEpoch, text) - text);
}

void appendRecord(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view commandLine,
                  std::optional<std::string_view> answer)
{
    time.append(out, msecsSinceEpoch);
    out += '\t';
    appendField(out, commandLine);
    if (answer) {
        out += '\t';
        appendField(out, *answer);
    }
    out += '\n';
}

void appendSent(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view bytes)
{
    appendMarked(out, '>', time, msecsSinceEpoch, bytes);
}

void appendReceived(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view bytes)
{
    appendMarked(out, '<', time, msecsSinceEpoch, bytes);
}

void appendMarker(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, const QString &text)
{
    out += "# ";
    time.append(out, msecsSinceEpoch);
    out += ' ';
    appendEscapedUtf8(out, text.toUtf8());
    out += '\n';
}

std::optional<Record> readRecord(QByteArrayView line)
{
    recordline::Line read;
    if (!recordline::read(std::string_view(line.data(), std::size_t(line.size())), read))
        return std::nullopt;
    const auto bytes = [](const std::string &text) { return QByteArray(text.data(), qsizetype(text.size())); };
    Record record;
    record.time = QByteArray(read.time.data(), qsizetype(read.time.size()));
    switch (read.kind) {
    case recordline::Kind::Shown:
        record.kind = Record::Kind::Shown;
        record.commandLine = bytes(read.commandLine);
        record.answer = bytes(read.answer);
        record.answerLine = read.answerLine;
        break;
    case recordline::Kind::Sent:
    case recordline::Kind::Received:
        record.kind = read.kind == recordline::Kind::Sent ? Record::Kind::Sent : Record::Kind::Received;
        record.bytes = bytes(read.bytes);
        break;
    case recordline::Kind::Marker:
        record.kind = Record::Kind::Marker;
        record.text = QString::fromUtf8(read.text.data(), qsizetype(read.text.size()));
        break;
    }
    return record;
}

QString listsClearedText(qint64 commandLines, qint64 answerLines)
{
    const auto lines = [](qint64 n) {
        return n == 1 ? QStringLiteral("1 Zeile") : QStringLiteral("%1 Zeilen").arg(n);
    };
    return QStringLiteral("Listen geleert (Befehle: %1, Antworten: %2)").arg(lines(commandLines), lines(answerLines));
}

} // namespace recordformat
