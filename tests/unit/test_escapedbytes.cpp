// SPDX-License-Identifier: GPL-3.0-or-later
// The unit's bytes as text: what is escaped and how, for every byte.
#include "unit/escapedbytes.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <set>
#include <utility>

TEST(EscapedBytes, LineEndsTabsAndBackslashGetLetters)
{
    EXPECT_EQ(escapedBytes("a\rb\nc\td\\e"), QStringLiteral("a\\rb\\nc\\td\\\\e"));
}

TEST(EscapedBytes, BytesThatAreNoTextOrShowNothingAreHex)
{
    const std::pair<QByteArray, const char *> cases[] = {
        {QByteArray("\x00\x01\x1b\x1f", 4), "\\x00\\x01\\x1B\\x1F"},
        {"\x7f", "\\x7F"},
        {"\x81\x8d\x8f\x90\x9d", "\\x81\\x8D\\x8F\\x90\\x9D"},   // undefined in Windows-1252
        {"\xad", "\\xAD"},   // the soft hyphen: a character that shows nothing
        {"\x80\xa0\xe4\xdf\xff", "€\u00a0äßÿ"},
        {"", ""},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(escapedBytes(bytes).toStdString(), text) << bytes.toHex().toStdString();
}

TEST(EscapedBytes, ExactlyTheseBytesAreEscaped)
{
    std::set<int> escaped;
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString text = escapedBytes(QByteArrayView(&byte, 1));
        if (text.startsWith(QLatin1Char('\\')))
            escaped.insert(b);
        else
            EXPECT_EQ(text.size(), 1) << b;
    }
    std::set<int> expected = {0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xAD, '\\'};
    for (int b = 0; b < 0x20; ++b)
        expected.insert(b);
    EXPECT_EQ(escaped, expected);
}
