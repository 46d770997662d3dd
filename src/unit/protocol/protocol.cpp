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

} // namespace protocol
