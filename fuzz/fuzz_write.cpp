// SPDX-License-Identifier: GPL-3.0-or-later
// The write conversion: whatever is in ed1 (any UTF-16 text, also unpaired surrogates),
// the fourth character becomes "P" and nothing else changes; shorter texts stay as they are.
#include "unit/protocol/protocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));

    const QString converted = protocol::toWriteCommand(text);
    bool same = converted.size() == text.size();
    for (qsizetype i = 0; same && i < text.size(); ++i)
        same = converted[i] == (i == 3 ? QChar(u'P') : text[i]);
    if (!same) {
        std::fprintf(stderr, "fuzz_write: the conversion changed more than the fourth character\n");
        std::abort();
    }
    return 0;
}
