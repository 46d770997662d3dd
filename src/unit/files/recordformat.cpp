// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/recordformat.h"

#include "unit/cp1252.h"
#include "unit/escapedbytes.h"
#include "unit/hexdigit.h"

#include <array>
#include <cstring>
#include <utility>

namespace recordformat {

namespace {

constexpr qsizetype timeLength = LocalTimeText::dateTimeLength;   // "yyyy-MM-dd HH:mm:ss.zzz"

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

// The text of a field or marker with its escapes undone; empty when an escape is broken or a
// TAB or line break stands raw in it.
std::optional<QString> unescaped(QByteArrayView field)
{
    const QString text = QString::fromUtf8(field);
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return std::nullopt;
        if (c != QLatin1Char('\\')) {
            plain += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text.at(i).unicode()) {
        case 'r': plain += QLatin1Char('\r'); break;
        case 'n': plain += QLatin1Char('\n'); break;
        case 't': plain += QLatin1Char('\t'); break;
        case '\\': plain += QLatin1Char('\\'); break;
        case 'x': {
            const int high = i + 1 < text.size() ? hexDigitValue(text.at(i + 1).unicode()) : -1;
            const int low = i + 2 < text.size() ? hexDigitValue(text.at(i + 2).unicode()) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            // The byte's own character, so that the code page gives the byte back.
            plain += cp1252::decodeByte(static_cast<unsigned char>(high * 16 + low));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return plain;
}

// "<mark> <time><TAB><field>": the time and the field's bytes.
std::optional<std::pair<QByteArray, QByteArray>> markedBytes(QByteArrayView line)
{
    if (line.size() < 2 + timeLength + 1 || line.at(1) != ' ' || line.at(2 + timeLength) != '\t')
        return std::nullopt;
    const std::optional<QByteArray> bytes = fieldBytes(line.sliced(2 + timeLength + 1));
    if (!bytes)
        return std::nullopt;
    return std::make_pair(line.sliced(2, timeLength).toByteArray(), *bytes);
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
    const std::optional<QString> text = unescaped(field);
    if (!text)
        return std::nullopt;
    // Broken UTF-8 reads as U+FFFD, which the code page lacks, so it fails here too.
    return cp1252::encode(*text);
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
    if (line.startsWith('#')) {
        if (line.size() < 2 + timeLength + 1 || line.at(1) != ' ' || line.at(2 + timeLength) != ' ')
            return std::nullopt;
        std::optional<QString> text = unescaped(line.sliced(2 + timeLength + 1));
        if (!text)
            return std::nullopt;
        Record marker;
        marker.kind = Record::Kind::Marker;
        marker.time = line.sliced(2, timeLength).toByteArray();
        marker.text = *std::move(text);
        return marker;
    }
    if (line.startsWith('>') || line.startsWith('<')) {
        auto timeAndBytes = markedBytes(line);
        if (!timeAndBytes)
            return std::nullopt;
        Record onTheLine;
        onTheLine.kind = line.startsWith('>') ? Record::Kind::Sent : Record::Kind::Received;
        onTheLine.time = std::move(timeAndBytes->first);
        onTheLine.bytes = std::move(timeAndBytes->second);
        return onTheLine;
    }
    if (line.size() < timeLength + 1 || line.at(timeLength) != '\t')
        return std::nullopt;
    const QByteArrayView rest = line.sliced(timeLength + 1);
    const qsizetype tab = rest.indexOf('\t');
    Record shown;
    const std::optional<QByteArray> commandLine = fieldBytes(tab < 0 ? rest : rest.first(tab));
    if (!commandLine)
        return std::nullopt;
    shown.commandLine = *commandLine;
    if (tab >= 0) {
        const std::optional<QByteArray> answer = fieldBytes(rest.sliced(tab + 1));
        if (!answer)
            return std::nullopt;
        shown.answer = *answer;
        shown.answerLine = true;
    }
    shown.time = line.first(timeLength).toByteArray();
    return shown;
}

QString listsClearedText(qint64 commandLines, qint64 answerLines)
{
    const auto lines = [](qint64 n) {
        return n == 1 ? QStringLiteral("1 Zeile") : QStringLiteral("%1 Zeilen").arg(n);
    };
    return QStringLiteral("Listen geleert (Befehle: %1, Antworten: %2)").arg(lines(commandLines), lines(answerLines));
}

} // namespace recordformat
