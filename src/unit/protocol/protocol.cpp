// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/protocol.h"

#include "unit/cp1252.h"
#include "unit/hexdigit.h"

#include <algorithm>

namespace protocol {

namespace {
constexpr char echoingRate[] = "4800";
constexpr char otherRateText[] = "19200";

bool isHexDigit(char c)
{
    return hexDigitValue(static_cast<unsigned char>(c)) >= 0;
}

// The unit's answer is the one that starts with `address`: any digit of a unit when `asked`
// is "S", which every unit answers with its own, otherwise only the digit asked.
bool answersAs(char address, QChar asked)
{
    return asked == QChar(everyUnit) ? isAddressDigit(QLatin1Char(address)) : QLatin1Char(address) == asked;
}

// The command sent back: `sent` stands right before the answer at `at` (the 4800-baud mode).
bool echoedBefore(const QByteArray &arrived, qsizetype at, const QByteArray &sent)
{
    return at >= sent.size() && arrived.mid(at - sent.size(), sent.size()) == sent;
}

bool isAddressByte(char c) { return addressDigitBytes.find(c) != std::string_view::npos; }

bool isLetterOrDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool startsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
}

// The unit writes a written value in capitals, so "$RSPF30e30" is answered "SPF30E30".
bool startsWithInCapitals(std::string_view text, std::string_view head)
{
    return text.size() >= head.size()
        && std::equal(head.begin(), head.end(), text.begin(), [](char h, char t) { return upper(h) == t; });
}

// After the address: the letters as sent; for a write, "PF" + n and its value in capitals,
// or "?" when the unit refuses the value.
bool repeatsLetters(std::string_view answer, std::string_view letters)
{
    if (startsWith(answer, letters))
        return true;
    const bool isWrite = letters.size() >= 3 && startsWith(letters, "PF") && letters[2] >= '0' && letters[2] <= '9';
    if (!isWrite || !startsWith(answer, letters.substr(0, 3)))
        return false;
    const std::string_view after = answer.substr(3);
    return startsWith(after, "?") || startsWithInCapitals(after, letters.substr(3));
}
} // namespace

bool isAddressDigit(QChar c)
{
    return addressDigits().contains(c);
}

bool isAddressText(const QString &text)
{
    return text.size() == 1 && isAddressDigit(text.front());
}

QString addressChoices() { return QStringLiteral("0–9, A–F oder S"); }

bool isRate(const QString &text)
{
    return text == QLatin1String(otherRateText) || text == QLatin1String(echoingRate);
}

QString rateChoices() { return QStringLiteral("%1 oder %2").arg(QLatin1String(otherRateText), QLatin1String(echoingRate)); }

QString otherRate(const QString &rate)
{
    return QLatin1String(echoesCommand(rate) ? otherRateText : echoingRate);
}

bool echoesCommand(std::string_view baudText) { return baudText == echoingRate; }
bool echoesCommand(const QString &baudText) { return baudText == QLatin1String(echoingRate); }

QString command(const QString &address, const QString &letters)
{
    return QStringLiteral("$R") + address + letters;
}

QString readParameter(const QString &address, int n)
{
    return command(address, QStringLiteral("RF") + QString::number(n));
}

QString writeParameter(const QString &address, int n, const QString &value)
{
    return command(address, QStringLiteral("PF") + QString::number(n) + value);
}

QString version(const QString &address) { return command(address, QStringLiteral("V")); }
QString keyPress(const QString &address, int key) { return command(address, QStringLiteral("E") + QString::number(key)); }
QString keyRelease(const QString &address) { return command(address, QStringLiteral("EA")); }
QString fiveToneTestCall(const QString &address) { return command(address, QStringLiteral("tP60999")); }
QString fmsTestTelegram(const QString &address) { return command(address, QStringLiteral("m6876471131")); }
QString quit(const QString &address) { return command(address, QStringLiteral("Q")); }
QString disconnect() { return command(QString(QChar(everyUnit)), QStringLiteral("Q")); }

QString toWriteCommand(const QString &commandLine)
{
    QString text = commandLine;
    if (text.size() >= 4)
        text[3] = QLatin1Char('P');
    return text;
}

std::optional<ReadAnswer> findReadAnswer(const QByteArray &arrived, QChar asked, int n)
{
    const QByteArray letters = QByteArrayLiteral("RF") + QByteArray::number(n);
    const QByteArray sent = bytes(readParameter(QString(asked), n));
    for (qsizetype at = 0; at + readAnswerLength <= arrived.size(); ++at) {
        const char address = arrived.at(at);
        if (!answersAs(address, asked))
            continue;
        if (arrived.mid(at + 1, 3) != letters)
            continue;
        const QByteArray digits = arrived.mid(at + 4, 4);
        if (!std::all_of(digits.begin(), digits.end(), isHexDigit))
            continue;
        if (at + readAnswerLength < arrived.size() && isHexDigit(arrived.at(at + readAnswerLength)))
            continue;
        ReadAnswer answer;
        answer.value = QString::fromLatin1(digits).toUpper();
        answer.address = QLatin1Char(address);
        answer.at = at;
        answer.echoed = echoedBefore(arrived, at, sent);
        return answer;
    }
    return std::nullopt;
}

bool readAnswerWhole(const QByteArray &arrived, bool quiet, QChar asked, int n)
{
    const std::optional<ReadAnswer> answer = findReadAnswer(arrived, asked, n);
    return answer && (answer->at + readAnswerLength < arrived.size() || quiet);
}

std::optional<VersionAnswer> findVersionAnswer(const QByteArray &arrived, QChar asked)
{
    const QByteArray sent = bytes(version(QString(asked)));
    for (qsizetype at = 0; at + 1 < arrived.size(); ++at) {
        const char address = arrived.at(at);
        if (arrived.at(at + 1) != 'V' || !answersAs(address, asked))
            continue;
        // "$R" + digit + "V" is the command sent back: its digit is the command's, not an answer.
        if (at >= 2 && arrived.mid(at - 2, 2) == "$R")
            continue;
        const qsizetype end = arrived.indexOf("\r\n", at + 2);
        if (end < 0 || end - (at + 2) > longestVersion)
            continue;
        VersionAnswer answer;
        answer.address = QLatin1Char(address);
        answer.text = cp1252::decode(arrived.mid(at + 2, end - (at + 2)));
        answer.at = at;
        answer.echoed = echoedBefore(arrived, at, sent);
        return answer;
    }
    return std::nullopt;
}

bool isAnswerTo(std::string_view line, std::string_view command, std::string_view baudText)
{
    constexpr std::size_t addressAt = 2;
    if (command.size() < addressAt + 2 || !startsWith(command, "$R") || !isAddressByte(command[addressAt]))
        return false;
    const std::string_view letters = command.substr(addressAt + 1);
    if (!std::all_of(letters.begin(), letters.end(), isLetterOrDigit))
        return false;
    if (echoesCommand(baudText)) {
        if (!startsWith(line, command))
            return false;
        line.remove_prefix(command.size());
    }
    const char asked = command[addressAt];
    if (line.empty() || !(asked == char(everyUnit) ? isAddressByte(line.front()) : line.front() == asked))
        return false;
    return repeatsLetters(line.substr(1), letters);
}

} // namespace protocol
