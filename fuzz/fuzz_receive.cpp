// SPDX-License-Identifier: GPL-3.0-or-later
// The receive engine, driven by a schedule of events: bytes from the line (also runs long
// enough to pass the 64 KiB piece size, and lines shaped like the answer to the last
// command), the quiet time, a split for a user's action and a command written, with the
// command line, baud text and flag changing in between. Every line it gives is compared
// with the plain reference of the rules, and every answer goes through the display
// conversion. Any difference or crash stops.
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

// The address digits, and one that is none.
constexpr char addresses[] = "0123456789ABCDEFSG";

// A command as a button, a prepared write or the user's typing leaves it: mostly of the
// unit's form, sometimes any text.
std::string commandFrom(FuzzedDataProvider &data)
{
    if (data.ConsumeIntegralInRange<int>(0, 3) == 0)
        return data.ConsumeRandomLengthString(16);
    static const char *const letters[] = {"RF0", "V", "E1", "EA", "tP60999", "m6876471131", "Q", "PF30e30", "PF3zz"};
    std::string command = "$R";
    command += addresses[data.ConsumeIntegralInRange<int>(0, 17)];
    command += data.ConsumeBool() ? std::string(letters[data.ConsumeIntegralInRange<int>(0, 8)])
                                  : data.ConsumeRandomLengthString(6);
    return command;
}

// A line shaped like the unit's answer to `command`: mostly as the unit answers (the echo
// at 4800 only, the address sent, the letters), else with the echo, the address or the
// letters changed (in capitals, a refused write's "?"); then some more and CR LF.
std::string answerLike(FuzzedDataProvider &data, const std::string &command, const std::string &baudText)
{
    const bool asTheUnit = data.ConsumeIntegralInRange<int>(0, 3) != 0;
    const std::string letters = command.size() > 3 ? command.substr(3) : std::string();
    std::string line = (asTheUnit ? baudText == "4800" : data.ConsumeBool()) ? command : std::string();
    line += (asTheUnit || data.ConsumeBool()) && command.size() > 2 ? command[2]
                                                                    : addresses[data.ConsumeIntegralInRange<int>(0, 17)];
    switch (asTheUnit ? 0 : data.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: line += letters; break;
    case 1:
        for (const char c : letters)
            line += c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        break;
    default: line += letters.substr(0, 3) + "?"; break;
    }
    return line + data.ConsumeRandomLengthString(8) + "\r\n";
}

// A few lines as a unit that was sending sends them after a command: its own, and ones
// shaped like the answer (more than one, which only the first may be taken for).
std::string linesAfter(FuzzedDataProvider &data, const std::string &command, const std::string &baudText)
{
    std::string lines;
    for (int n = data.ConsumeIntegralInRange<int>(1, 4); n > 0; --n)
        lines += data.ConsumeBool() ? answerLike(data, command, baudText) : std::string("LINE15\r\n");
    return lines;
}

// Bytes the unit sends: a few of any value, lines with some like the answer, or one byte
// repeated, up to past two pieces.
std::string bytesFrom(FuzzedDataProvider &data, const std::string &command, const std::string &baudText)
{
    if (data.ConsumeBool())
        return data.ConsumeBool() ? data.ConsumeRandomLengthString(64) : linesAfter(data, command, baudText);
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
    std::string command = now.commandLine;
    std::size_t total = 0;
    while (data.remaining_bytes() > 0 && total < 600000) {
        const ReceiveEngine::Context context{now.commandLine, now.baudText, now.flag};
        switch (data.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
        case 1: {
            const std::string line = bytesFrom(data, command, now.baudText);
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
            // A sender: the flag and the command line as a button or "Senden" leave them, and
            // the command line's bytes on the line.
            now.flag = data.ConsumeBool() ? 1 : 0;
            command = commandFrom(data);
            now.commandLine = command;
            engine.commandWritten(command);
            reference.written(command);
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
