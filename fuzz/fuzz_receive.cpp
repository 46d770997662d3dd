// The receive path: bytes from the line, the command line, the baud text and the command
// flag go through the reading rule and processBurst, and the answer through the display
// conversion. Compared with the plain reference of the rules; any difference or crash stops.
#include "receive/burst.h"
#include "receive_reference.h"
#include "shared/cp1252.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstdio>

namespace {

[[noreturn]] void mismatch(const char *what)
{
    std::fprintf(stderr, "fuzz_receive: %s differs from the reference\n", what);
    std::abort();
}

QString baudTextFrom(FuzzedDataProvider &data)
{
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return QStringLiteral("4800");
    case 1: return QStringLiteral("19200");
    case 2: return QString();
    default: return cp1252::decode(QByteArray::fromStdString(data.ConsumeRandomLengthString(8)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const auto flag = data.ConsumeIntegral<std::int16_t>();
    const QString baud = baudTextFrom(data);
    // ed1 holds at most 1024 characters, every one of them a Windows-1252 character.
    const std::string typed = data.ConsumeRandomLengthString(1024);
    const QString commandLine = cp1252::decode(QByteArray::fromStdString(typed));
    const std::string line = data.ConsumeRemainingBytesAsString();

    // The reading rule, byte by byte as the poll loop applies it.
    QByteArray burst;
    for (const char c : line)
        appendToBurst(burst, c);
    const std::string stored = fuzzref::storedBurst(line);
    if (burst.toStdString() != stored)
        mismatch("the stored burst");

    const BurstLines lines = processBurst(burst, commandLine, baud, flag);
    const fuzzref::Lines expected =
        fuzzref::linesFor(stored, int(commandLine.size()), baud == QLatin1String("4800"), flag);
    if (lines.displayStart != expected.displayStart)
        mismatch("the display start");
    if (lines.answer.has_value() != expected.answer.has_value())
        mismatch("whether there is an answer");
    if (lines.answer && lines.answer->toStdString() != *expected.answer)
        mismatch("the answer");

    // What the list shows: one visible character per byte, and the bytes survive a round trip.
    if (lines.answer) {
        const QString shown = cp1252::decodeForDisplay(*lines.answer);
        if (shown.size() != lines.answer->size())
            mismatch("the shown length");
        for (const QChar c : shown)
            if (c.category() == QChar::Other_Control)
                mismatch("the shown text (an invisible control character)");
        if (cp1252::encode(cp1252::decode(*lines.answer)) != *lines.answer)
            mismatch("the Windows-1252 round trip");
    }
    return 0;
}
