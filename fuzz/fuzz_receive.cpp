// SPDX-License-Identifier: GPL-3.0-or-later
// The receive engine, driven by a schedule of events: bytes from the line (also runs long
// enough to pass the 64 KiB piece size), the quiet time, a split for a user's action and a
// command written, with the command line, baud text and flag changing in between. Every
// line it gives is compared with the plain reference of the rules, and every answer goes
// through the display conversion. Any difference or crash stops.
#include "unit/cp1252.h"
#include "unit/protocol/receiveengine.h"
#include "receive_reference.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void mismatch(const char *what)
{
    std::fprintf(stderr, "fuzz_receive: %s differs from the reference\n", what);
    std::abort();
}

std::string baudTextFrom(FuzzedDataProvider &data)
{
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return "4800";
    case 1: return "19200";
    case 2: return "";
    default: return data.ConsumeRandomLengthString(8);
    }
}

// Bytes the unit sends: a few of any value, or one byte repeated, up to past two pieces.
std::string bytesFrom(FuzzedDataProvider &data)
{
    if (data.ConsumeBool())
        return data.ConsumeRandomLengthString(64);
    static const char runBytes[] = {'A', ' ', '\r', '\n', 'x', '\0'};
    const char c = data.ConsumeBool() ? runBytes[data.ConsumeIntegralInRange<int>(0, 5)] : data.ConsumeIntegral<char>();
    return std::string(data.ConsumeIntegralInRange<std::size_t>(1, 140000), c);
}

void checkShown(const std::string &bytes)
{
    // What the list shows: one visible character per byte, and the bytes survive a round trip.
    const QByteArray answer(bytes.data(), qsizetype(bytes.size()));
    const QString shown = cp1252::decodeForDisplay(answer);
    if (shown.size() != answer.size())
        mismatch("the shown length");
    for (const QChar c : shown)
        if (c.category() == QChar::Other_Control)
            mismatch("the shown text (an invisible control character)");
    if (cp1252::encode(cp1252::decode(answer)) != answer)
        mismatch("the Windows-1252 round trip");
}

void compare(const ReceiveEngine::Shown &got, const std::vector<fuzzref::Lines> &expected)
{
    if (got.size() != expected.size())
        mismatch("the number of lines");
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i].commandLine != expected[i].commandLine)
            mismatch("the lb2 line");
        if (got[i].displayStart != expected[i].displayStart)
            mismatch("the display start");
        if (got[i].answer.has_value() != expected[i].answer.has_value())
            mismatch("whether there is an answer");
        if (got[i].answer && *got[i].answer != *expected[i].answer)
            mismatch("the answer");
        if (got[i].answer && got[i].answer->size() <= 256)
            checkShown(*got[i].answer);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    ReceiveEngine engine;
    fuzzref::Receiver reference;
    // ed1 holds at most 1024 characters; a short one reaches every row of the rules.
    fuzzref::Context now{data.ConsumeRandomLengthString(16), baudTextFrom(data), data.ConsumeIntegral<std::int16_t>()};
    std::size_t total = 0;
    while (data.remaining_bytes() > 0 && total < 600000) {
        const ReceiveEngine::Context context{now.commandLine, now.baudText, now.flag};
        switch (data.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
        case 1: {
            const std::string line = bytesFrom(data);
            total += line.size();
            compare(engine.add(line, context), reference.add(line, now));
            break;
        }
        case 2:
            compare(engine.quiet(), reference.quiet());
            break;
        case 3:
            compare(engine.cutForCommand(), reference.cutForCommand());
            break;
        case 4:
            compare(engine.showToLastLineEnd(), reference.showToLastLineEnd());
            break;
        case 5:
            // A sender: the flag and the command line as a button or "Senden" leave them.
            now.flag = data.ConsumeBool() ? 1 : 0;
            now.commandLine = data.ConsumeRandomLengthString(16);
            engine.commandWritten();
            reference.written();
            break;
        case 6:
            engine.endLineByLine();
            reference.endLineByLine();
            break;
        default:
            // The user edits the command line, or connects at another rate, without sending.
            now.commandLine = data.ConsumeRandomLengthString(16);
            now.baudText = baudTextFrom(data);
            break;
        }
        if (engine.isOpen() != reference.open() || engine.awaitsContinuation() != reference.waitingForContinuation()
            || engine.showsLineByLine() != reference.lineByLine())
            mismatch("the state");
    }
    compare(engine.quiet(), reference.quiet());
    return 0;
}
