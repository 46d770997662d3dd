// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/recordformat.h"

#include "unit/cp1252.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace recordformat {

namespace {

// Each Windows-1252 byte as it goes into a field: its UTF-8 bytes, or its escape.
struct Encoded {
    char bytes[3];
    unsigned char size;
};

std::array<Encoded, 256> makeTable()
{
    std::array<Encoded, 256> table{};
    for (int b = 0; b < 256; ++b) {
        Encoded &e = table[std::size_t(b)];
        const char escape = b == '\r' ? 'r' : b == '\n' ? 'n' : b == '\t' ? 't' : b == '\\' ? '\\' : 0;
        if (escape) {
            e = {{'\\', escape, 0}, 2};
            continue;
        }
        const char16_t u = cp1252::decodeByte(static_cast<unsigned char>(b)).unicode();
        if (u < 0x80)
            e = {{char(u), 0, 0}, 1};
        else if (u < 0x800)
            e = {{char(0xC0 | (u >> 6)), char(0x80 | (u & 0x3F)), 0}, 2};
        else
            e = {{char(0xE0 | (u >> 12)), char(0x80 | ((u >> 6) & 0x3F)), char(0x80 | (u & 0x3F))}, 3};
    }
    return table;
}

const std::array<Encoded, 256> &table()
{
    static const std::array<Encoded, 256> encoded = makeTable();
    return encoded;
}

// The marker's own text: already Unicode, so only the escapes.
void appendEscapedUtf8(QByteArray &out, const QByteArray &utf8)
{
    for (const char c : utf8) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
}

} // namespace

void appendField(QByteArray &out, std::string_view bytes)
{
    const std::array<Encoded, 256> &encoded = table();
    const qsizetype start = out.size();
    // Worst case three bytes for one; the unused end is cut off below.
    out.resize(start + qsizetype(bytes.size()) * 3);
    char *to = out.data() + start;
    for (const char c : bytes) {
        const Encoded &e = encoded[static_cast<unsigned char>(c)];
        to[0] = e.bytes[0];
        to[1] = e.bytes[1];
        to[2] = e.bytes[2];
        to += e.size;
    }
    out.truncate(to - out.constData());
}

std::optional<QByteArray> fieldBytes(QByteArrayView field)
{
    const QString text = QString::fromUtf8(field);
    QString unescaped;
    unescaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return std::nullopt;
        if (c != QLatin1Char('\\')) {
            unescaped += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text.at(i).unicode()) {
        case 'r': unescaped += QLatin1Char('\r'); break;
        case 'n': unescaped += QLatin1Char('\n'); break;
        case 't': unescaped += QLatin1Char('\t'); break;
        case '\\': unescaped += QLatin1Char('\\'); break;
        default: return std::nullopt;
        }
    }
    // Broken UTF-8 reads as U+FFFD, which the code page lacks, so it fails here too.
    return cp1252::encode(unescaped);
}

void TimeStamp::append(QByteArray &out, qint64 msecsSinceEpoch)
{
    // Floor division, so that a time before 1970 still gets its right second.
    qint64 seconds = msecsSinceEpoch / 1000;
    int millis = int(msecsSinceEpoch % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const auto second = std::time_t(seconds);
    if (second != second_) {
        std::tm local{};
        if (!localtime_r(&second, &local))
            local = std::tm{};
        char text[64];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        std::memcpy(text_, text, sizeof text_ - 1);
        second_ = second;
    }
    out.append(text_, sizeof text_ - 1);
    const char ms[4] = {'.', char('0' + millis / 100), char('0' + millis / 10 % 10), char('0' + millis % 10)};
    out.append(ms, 4);
}

void appendRecord(QByteArray &out, TimeStamp &time, qint64 msecsSinceEpoch, std::string_view commandLine,
                  std::optional<std::string_view> answer)
{
    time.append(out, msecsSinceEpoch);
    out += '\t';
    appendField(out, commandLine);
    out += '\t';
    if (answer)
        appendField(out, *answer);
    out += '\n';
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
    constexpr qsizetype kTimeLength = 23;   // "yyyy-MM-dd HH:mm:ss.zzz"
    if (line.size() < kTimeLength + 2 || line.at(kTimeLength) != '\t')
        return std::nullopt;
    const QByteArrayView rest = line.sliced(kTimeLength + 1);
    const qsizetype tab = rest.indexOf('\t');
    if (tab < 0)
        return std::nullopt;
    const std::optional<QByteArray> commandLine = fieldBytes(rest.first(tab));
    const std::optional<QByteArray> answer = fieldBytes(rest.sliced(tab + 1));
    if (!commandLine || !answer)
        return std::nullopt;
    return Record{line.first(kTimeLength).toByteArray(), *commandLine, *answer};
}

} // namespace recordformat
