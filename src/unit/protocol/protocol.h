// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RIX unit's protocol, written once: every command the unit takes, the pause its sender
// holds after it, and the shape of the unit's answer to a read. The window's buttons and
// rix-param build their bytes here, so both put exactly the same bytes on the line.
//
// A command is "$R", the address digit and the command letters, nothing added: no line
// end, length or checksum. The unit answers with the address, the letters and any value,
// then CR LF; in its 4800-baud mode it first sends the command back. An answer is
// recognised by what it says (the shapes below), never by coming first.

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>
#include <string_view>

namespace protocol {

// How long a sender holds after its command, before anything else goes out or is read.
constexpr int commandPauseMs = 165;   // a command button's command
constexpr int sendPauseMs = 275;      // the command line sent by the send button, a parameter write,
                                      // the disconnect

// The unit ends a text by falling quiet: a text ends when the line has been quiet this long
// after its last byte.
constexpr int quietMs = 20;

// After a port is opened, what arrives within this long was on its way before (an answer to
// another program's request, a line the unit sent on its own): it is let arrive before the
// line is read or written.
constexpr int settleMs = 100;

// How long after a request its answer is still taken. A unit answers within a few ms, but
// one that is busy may take over a second; every program that asks waits this long (the
// search as long as a read), so a unit one of them hears is heard by all.
constexpr int answerWaitMs = 2000;

// The address digits a unit can have; "S" addresses every unit.
constexpr std::string_view addressDigitBytes = "0123456789ABCDEFS";
inline const QString &addressDigits()
{
    static const QString digits = QString::fromLatin1(addressDigitBytes.data(), qsizetype(addressDigitBytes.size()));
    return digits;
}
bool isAddressDigit(QChar c);
// The digit every unit answers to, whatever its own.
constexpr char16_t everyUnit = u'S';
// A text that is one address digit.
bool isAddressText(const QString &text);
// The address digits as a reader is told them.
QString addressChoices();   // "0–9, A–F oder S"

// The rates the unit works at, as the boxes and the command lines write them.
bool isRate(const QString &text);
QString rateChoices();      // "19200 oder 4800"
// The rate that is not `rate`: where the unit answers as at the other one.
QString otherRate(const QString &rate);
// At 4800 baud the unit sends every command back ahead of its answer, and only then.
bool echoesCommand(std::string_view baudText);
bool echoesCommand(const QString &baudText);

// "$R" + address + letters.
QString command(const QString &address, const QString &letters);

QString readParameter(const QString &address, int n);                           // "RF" + n
QString writeParameter(const QString &address, int n, const QString &value);     // "PF" + n + value
QString version(const QString &address);                                         // "V"
QString keyPress(const QString &address, int key);                               // "E1", "E2"
QString keyRelease(const QString &address);                                      // "EA"
QString fiveToneTestCall(const QString &address);                                // "tP60999"
QString fmsTestTelegram(const QString &address);                                 // "m6876471131"
QString quit(const QString &address);                                            // "Q"
// The disconnect always goes to every unit: "$RSQ".
QString disconnect();

// A read command prepared as a write: its fourth character becomes "P" ("$RSRF3" → "$RSPF3");
// a text shorter than that stays as it is. The value is typed after the first
// writeValueColumn characters.
QString toWriteCommand(const QString &commandLine);
constexpr int writeValueColumn = 6;

// A command's bytes on the line (the protocol's texts are ASCII).
inline QByteArray bytes(const QString &command) { return command.toLatin1(); }

// The unit's answer to a read of Fn, found in what arrived: an address digit, "RF" + n and
// four hexadecimal digits, with no further hexadecimal digit after them. When `asked` is
// "S", any address digit answers; otherwise only `asked`. Other text around it (an
// unasked line, a late answer to another read, the command sent back) is not the answer.
struct ReadAnswer {
    QString value;      // the four digits, upper case
    QChar address;      // the address digit the unit answered with
    qsizetype at = 0;   // where the answer starts in the bytes
    bool echoed = false;   // the read command itself came right before it (the 4800-baud mode)
};
std::optional<ReadAnswer> findReadAnswer(const QByteArray &arrived, QChar asked, int n);
// The answer's bytes from its address digit to its last hexadecimal digit.
constexpr qsizetype readAnswerLength = 1 + 3 + 4;
// Whether the answer to a read of Fn in `arrived` is whole: a byte follows it (then it is
// no hexadecimal digit, or it would not have been found) or the line has fallen quiet
// after it (`quiet`). Before that, a fifth digit on its way would make it no answer.
bool readAnswerWhole(const QByteArray &arrived, bool quiet, QChar asked, int n);

// The unit's answer to "$R" + asked + "V": an address digit (any when `asked` is "S",
// otherwise `asked`), "V", its text of at most longestVersion bytes, and CR LF. A digit
// right after "$R" is the command sent back (the 4800-baud mode), not the answer.
struct VersionAnswer {
    QChar address;
    QString text;          // between "V" and CR LF, as the unit's Windows-1252 text
    qsizetype at = 0;      // where the answer starts in the bytes
    bool echoed = false;   // the command itself came right before it
};
std::optional<VersionAnswer> findVersionAnswer(const QByteArray &arrived, QChar asked);
// A longer text between "V" and CR LF is some other line, not a version.
constexpr qsizetype longestVersion = 64;

// Whether a line the unit sent is its answer to `command`, by what the line says. A command
// is "$R", an address digit and letters or digits; the unit answers with an address digit
// (the one asked, or any when asked as "S") and the same letters, a write's value in capitals
// or, refused, "?" after "PF" + n; at 4800 baud (`baudText`) the command itself comes first.
// Any other command (a text the user typed) has no answer that could be told apart.
bool isAnswerTo(std::string_view line, std::string_view command, std::string_view baudText);

} // namespace protocol
