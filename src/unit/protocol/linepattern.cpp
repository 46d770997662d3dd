// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/linepattern.h"

#include "unit/cp1252.h"
#include "unit/hexdigit.h"

namespace {

using Classes = std::array<unsigned char, 256>;

// Every byte as the lists show it, one character each (cp1252::decodeForDisplay).
const QString &shownBytes()
{
    static const QString shown = [] {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        return cp1252::decodeForDisplay(all);
    }();
    return shown;
}

Classes identity()
{
    Classes classes{};
    for (int b = 0; b < 256; ++b)
        classes[std::size_t(b)] = static_cast<unsigned char>(b);
    return classes;
}

// A byte's class is the first byte the list shows alike (the five undefined bytes all show as
// U+FFFD, so text cannot tell them apart), and without exact case the byte of its folded
// letter where that has its own byte: ß and µ fold outside the code page, and a control
// picture or U+FFFD has no case.
Classes textClasses(bool exactCase)
{
    const QString &shown = shownBytes();
    Classes classes{};
    for (int b = 0; b < 256; ++b) {
        classes[std::size_t(b)] = static_cast<unsigned char>(shown.indexOf(shown.at(b)));
        if (exactCase)
            continue;
        const QString folded = QString(shown.at(b)).toCaseFolded();
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
        // What the list shows (a control picture, U+FFFD), else the character's own byte.
        if (const qsizetype shownAs = shownBytes().indexOf(c); shownAs >= 0) {
            bytes.append(char(shownAs));
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
    // Horspool by hand: std::boyer_moore_horspool_searcher finds the same, but given a
    // predicate (the classes) it keys its skip table by a hash map, about three times slower.
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
