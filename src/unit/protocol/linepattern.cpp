// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/linepattern.h"

#include "unit/cp1252.h"
#include "unit/hexdigit.h"

namespace {

using Classes = std::array<unsigned char, 256>;

// The five undefined bytes all show as U+FFFD, so text cannot tell them apart.
constexpr unsigned char undefinedByte = 0x81;

bool isUndefined(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

Classes identity()
{
    Classes classes{};
    for (int b = 0; b < 256; ++b)
        classes[std::size_t(b)] = static_cast<unsigned char>(b);
    return classes;
}

Classes textClasses(bool exactCase)
{
    Classes classes = identity();
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (isUndefined(byte)) {
            classes[std::size_t(b)] = undefinedByte;
            continue;
        }
        if (exactCase || byte < 0x20 || byte == 0x7F)
            continue;
        // The folded letter only where it has its own byte: ß and µ fold outside the code page.
        const QString folded = QString(cp1252::decodeByte(byte)).toCaseFolded();
        if (const auto bytes = cp1252::encode(folded); bytes && bytes->size() == 1)
            classes[std::size_t(b)] = static_cast<unsigned char>(bytes->at(0));
    }
    return classes;
}

} // namespace

LinePattern LinePattern::fromText(const QString &typed, bool exactCase)
{
    LinePattern pattern;
    QByteArray bytes;
    bytes.reserve(typed.size());
    for (const QChar c : typed) {
        const char16_t u = c.unicode();
        if (u >= 0x2400 && u <= 0x241F) {
            bytes.append(char(u - 0x2400));
        } else if (u == 0x2421) {
            bytes.append(char(0x7F));
        } else if (u == 0xFFFD) {
            bytes.append(char(undefinedByte));
        } else if (const auto byte = cp1252::encode(QString(c)); byte) {
            bytes.append(*byte);
        } else {
            pattern.problem_ = QStringLiteral("„%1“ kommt in Windows-1252 nicht vor.").arg(c);
            return pattern;
        }
    }
    pattern.prepare(bytes, textClasses(exactCase));
    return pattern;
}

LinePattern LinePattern::fromHex(const QString &typed)
{
    LinePattern pattern;
    QByteArray bytes;
    int high = -1;
    for (const QChar c : typed) {
        if (c.isSpace()) {
            if (high >= 0)
                break;   // a lone digit before a blank
            continue;
        }
        const int value = hexDigitValue(c.unicode());
        if (value < 0) {
            high = -2;
            break;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.append(char(high * 16 + value));
            high = -1;
        }
    }
    if (high != -1) {
        pattern.problem_ = QStringLiteral("Hex: je Byte zwei Ziffern 0–F, z. B. 1B 5B");
        return pattern;
    }
    pattern.prepare(bytes, identity());
    return pattern;
}

void LinePattern::prepare(QByteArray bytes, const Classes &classes)
{
    classes_ = classes;
    for (qsizetype i = 1; i < bytes.size(); ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n')
            notice_ = QStringLiteral("Findet nichts: CR und LF stehen höchstens am Zeilenanfang.");
    for (char &b : bytes)
        b = char(classes_[static_cast<unsigned char>(b)]);
    needle_ = bytes;
    const int m = int(needle_.size());
    shift_.fill(m);
    for (int j = 0; j + 1 < m; ++j)
        shift_[static_cast<unsigned char>(needle_[j])] = m - 1 - j;
}

bool LinePattern::matches(const char *bytes, int length) const
{
    const int m = int(needle_.size());
    if (m == 0 || length < m)
        return false;
    const auto *hay = reinterpret_cast<const unsigned char *>(bytes);
    const auto *needle = reinterpret_cast<const unsigned char *>(needle_.constData());
    const unsigned char last = needle[m - 1];
    for (int at = 0; at <= length - m;) {
        const unsigned char tail = classes_[hay[at + m - 1]];
        if (tail == last) {
            int j = m - 2;
            while (j >= 0 && classes_[hay[at + j]] == needle[j])
                --j;
            if (j < 0)
                return true;
        }
        at += shift_[tail];
    }
    return false;
}
