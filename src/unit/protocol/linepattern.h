// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the find bar looks for in a list line: typed text or bytes in hex, over the line's
// Windows-1252 bytes. Text finds what the list shows: the control pictures a copied line
// holds (U+2400 + code, U+2421) stand for their control bytes, U+FFFD for any of the five
// bytes the code page leaves undefined, and without exact case a letter finds its other case
// where Windows-1252 has both (ä/Ä, š/Š, ÿ/Ÿ). Hex finds exactly those bytes.

#include <QByteArray>
#include <QString>

#include <array>

class LinePattern {
public:
    // Nothing to find: matches no line.
    LinePattern() = default;
    static LinePattern fromText(const QString &typed, bool exactCase);
    // Pairs of hex digits, blanks between them optional: "1B 5B", "1b5b".
    static LinePattern fromHex(const QString &typed);

    // True when there is something to look for.
    bool isValid() const { return !needle_.isEmpty(); }
    // Why the typed text cannot be looked for, in German; empty when it can (or is empty).
    QString problem() const { return problem_; }
    // Why a pattern that can be looked for still finds no line of the window's lists, in German;
    // empty when it may. The receive path drops every CR and LF of a text but its very first
    // byte, and the command line holds none, so a CR or LF after a pattern's first byte is in
    // no list line.
    QString notice() const { return notice_; }

    bool matches(const char *bytes, int length) const;

private:
    void prepare(QByteArray bytes, const std::array<unsigned char, 256> &classes);

    // Every byte mapped to its class (itself, or the byte it is not told apart from); the
    // needle in classes; how far the needle may move on past a byte (Boyer-Moore-Horspool).
    std::array<unsigned char, 256> classes_{};
    QByteArray needle_;
    std::array<int, 256> shift_{};
    QString problem_;
    QString notice_;
};
