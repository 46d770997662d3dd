#include "receive_reference.h"

namespace fuzzref {

std::string storedBurst(const std::string &bytesFromTheLine)
{
    std::string stored;
    for (std::size_t i = 0; i < bytesFromTheLine.size(); ++i) {
        const char c = bytesFromTheLine[i];
        if (i == 0 || (c != '\r' && c != '\n'))
            stored += c;
    }
    return stored;
}

Lines linesFor(const std::string &stored, int commandLength, bool baudIs4800, std::int16_t flag)
{
    Lines lines;
    lines.displayStart = baudIs4800 ? commandLength + 1 : 1;

    // The part from the display start on (positions count from 1); blanks alone are no answer.
    bool hasContent = false;
    for (std::size_t i = std::size_t(lines.displayStart - 1); i < stored.size(); ++i)
        hasContent = hasContent || stored[i] != ' ';
    if (!hasContent)
        return lines;

    // After a command button the address and the command letters are skipped as well.
    int first = flag == 1 ? commandLength + lines.displayStart - 2 : lines.displayStart;
    if (first < 1)
        first = 1;
    lines.answer = std::size_t(first - 1) < stored.size() ? stored.substr(std::size_t(first - 1)) : std::string();
    return lines;
}

} // namespace fuzzref
