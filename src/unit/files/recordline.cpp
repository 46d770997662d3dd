// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/recordline.h"

#include "unit/cp1252table.h"
#include "unit/hexdigit.h"

namespace recordline {

namespace {

// The code point of the UTF-8 sequence at `at`, which is moved past it; -1 for broken UTF-8
// (a stray continuation byte, a sequence cut short, an overlong form, a surrogate). Characters
// past U+FFFF are read as they are: the code page has no byte for them anyway.
long nextCodePoint(std::string_view text, std::size_t &at)
{
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    long c = 0;
    long least = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return -1;
    }
    if (at + std::size_t(length) > text.size())
        return -1;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(at + std::size_t(i));
        if ((next & 0xC0) != 0x80)
            return -1;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return -1;
    at += std::size_t(length);
    return c;
}

// The value of "\xHH" at `at` (just after the "x"); -1 when the two digits are not there.
int escapedByte(std::string_view text, std::size_t at)
{
    if (at + 2 > text.size())
        return -1;
    const int high = hexDigitValue(static_cast<unsigned char>(text[at]));
    const int low = hexDigitValue(static_cast<unsigned char>(text[at + 1]));
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The byte an escape stands for, after its backslash at text[at - 1]; `at` is moved past it.
int escape(std::string_view text, std::size_t &at)
{
    if (at == text.size())
        return -1;
    switch (text[at++]) {
    case 'r': return '\r';
    case 'n': return '\n';
    case 't': return '\t';
    case '\\': return '\\';
    case 'x': {
        const int value = escapedByte(text, at);
        at += 2;
        return value;
    }
    default: return -1;
    }
}

void appendUtf8(char32_t c, std::string &out)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A marker's text with its escapes undone; broken UTF-8 is kept as it is (whoever shows it
// replaces it). False when an escape is broken or a TAB or line break stands raw in it.
bool appendMarkerText(std::string_view text, std::string &out)
{
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\t' || c == '\r' || c == '\n')
            return false;
        if (c != '\\') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        const int byte = escape(text, i);
        if (byte < 0)
            return false;
        // The byte's own character: an escaped byte in a marker is one the unit sent.
        appendUtf8(cp1252::characterOf(static_cast<unsigned char>(byte)), out);
    }
    return true;
}

// "<mark> <time><TAB><field>"
bool readMarked(std::string_view line, Line &out)
{
    if (line.size() < 2 + timeLength + 1 || line[1] != ' ' || line[2 + timeLength] != '\t')
        return false;
    out.kind = line[0] == '>' ? Kind::Sent : Kind::Received;
    out.time = line.substr(2, timeLength);
    out.bytes.clear();
    return appendFieldBytes(line.substr(2 + timeLength + 1), out.bytes);
}

// "# <time> <text>"
bool readMarker(std::string_view line, Line &out)
{
    if (line.size() < 2 + timeLength + 1 || line[1] != ' ' || line[2 + timeLength] != ' ')
        return false;
    out.kind = Kind::Marker;
    out.time = line.substr(2, timeLength);
    out.text.clear();
    return appendMarkerText(line.substr(2 + timeLength + 1), out.text);
}

// "<time><TAB><command line>[<TAB><answer>]"
bool readShown(std::string_view line, Line &out)
{
    if (line.size() < timeLength + 1 || line[timeLength] != '\t')
        return false;
    out.kind = Kind::Shown;
    out.time = line.substr(0, timeLength);
    const std::string_view rest = line.substr(timeLength + 1);
    const std::size_t tab = rest.find('\t');
    out.commandLine.clear();
    out.answer.clear();
    out.answerLine = tab != std::string_view::npos;
    if (!appendFieldBytes(rest.substr(0, tab), out.commandLine))
        return false;
    return !out.answerLine || appendFieldBytes(rest.substr(tab + 1), out.answer);
}

bool digits(std::string_view text, std::size_t at, std::size_t count, int &value)
{
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return std::int64_t(era) * 146097 + dayOfEra - 719468;
}

} // namespace

bool appendFieldBytes(std::string_view field, std::string &out)
{
    std::size_t i = 0;
    while (i < field.size()) {
        // Runs of printable ASCII, nearly all of what a unit sends, are copied as they are.
        std::size_t plain = i;
        while (plain < field.size() && field[plain] >= 0x20 && field[plain] < 0x7F && field[plain] != '\\')
            ++plain;
        if (plain > i) {
            out.append(field.data() + i, plain - i);
            i = plain;
            continue;
        }
        const char c = field[i];
        if (c == '\t' || c == '\r' || c == '\n')
            return false;
        if (c == '\\') {
            ++i;
            const int byte = escape(field, i);
            if (byte < 0)
                return false;
            out += char(byte);
            continue;
        }
        const long codePoint = nextCodePoint(field, i);
        const int byte = codePoint < 0 ? -1 : cp1252::byteOf(char32_t(codePoint));
        if (byte < 0)
            return false;
        out += char(byte);
    }
    return true;
}

std::string_view takeLine(std::string_view text, std::size_t &at)
{
    const std::size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool read(std::string_view line, Line &out)
{
    if (line.empty())
        return false;
    switch (line[0]) {
    case '#': return readMarker(line, out);
    case '>':
    case '<': return readMarked(line, out);
    default: return readShown(line, out);
    }
}

std::optional<std::int64_t> clockMs(std::string_view time)
{
    // "yyyy-MM-dd HH:mm:ss.zzz"
    if (time.size() != timeLength || time[4] != '-' || time[7] != '-' || time[10] != ' ' || time[13] != ':'
        || time[16] != ':' || time[19] != '.')
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
    if (!digits(time, 0, 4, year) || !digits(time, 5, 2, month) || !digits(time, 8, 2, day)
        || !digits(time, 11, 2, hour) || !digits(time, 14, 2, minute) || !digits(time, 17, 2, second)
        || !digits(time, 20, 3, millis))
        return std::nullopt;
    // A leap second (":60") is taken as it may be written.
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::int64_t seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return seconds * 1000 + millis;
}

} // namespace recordline
