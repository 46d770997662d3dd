// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parameterset.h"

#include <gtest/gtest.h>

#include <string>

namespace {
ParameterSet setOf(std::initializer_list<std::pair<int, const char *>> values)
{
    ParameterSet set;
    for (const auto &[n, v] : values)
        set.value[std::size_t(n)] = QString::fromLatin1(v);
    return set;
}

ParameterSet parsed(const char *text)
{
    const auto result = parseParameterSet(QString::fromUtf8(text));
    if (const auto *error = std::get_if<SetParseError>(&result))
        ADD_FAILURE() << "line " << error->line << ": " << error->what.toStdString();
    return std::holds_alternative<ParameterSet>(result) ? std::get<ParameterSet>(result) : ParameterSet{};
}

SetParseError errorOf(const char *text)
{
    const auto result = parseParameterSet(QString::fromUtf8(text));
    if (std::holds_alternative<SetParseError>(result))
        return std::get<SetParseError>(result);
    ADD_FAILURE() << "accepted: " << text;
    return {0, {}};
}

std::string valueOf(const ParameterSet &set, int n)
{
    return set.value[std::size_t(n)] ? set.value[std::size_t(n)]->toStdString() : "(none)";
}
} // namespace

TEST(ParameterSetFile, PrintsHeaderThenEachValueWithItsExplanation)
{
    const SetHeader header{"/dev/ttyUSB0", "19200", "S", "2026-12-07 18:00", "1.0.0"};
    EXPECT_EQ(printParameterSet(setOf({{4, "0e0e"}, {3, "0E28"}}), header).toStdString(),
              "# RIX-Parametersatz\n"
              "# Schnittstelle: /dev/ttyUSB0\n"
              "# Baudrate: 19200\n"
              "# Adresse: S\n"
              "# Datum: 2026-12-07 18:00\n"
              "# Programmversion: 1.0.0\n"
              "#\n"
              "# Je Parameter eine Zeile Fn=XXXX mit vier Hexadezimalziffern; „#“ beginnt einen Kommentar.\n"
              "\n"
              "# F3 Vorlaufzeit\n"
              "# Beschreibung: „3.,4. Stelle  [N*5ms]“\n"
              "# 3.,4. Stelle = 0x28 = 40 × 5 ms = 200 ms\n"
              "F3=0E28\n"
              "\n"
              "# F4 Tonlänge Rufgeber\n"
              "# Beschreibung: „1.,2. St. 1. Ton, 3.,4 St. ab 2.Ton [N*5ms]“\n"
              "# 1.,2. Stelle (1. Ton) = 0x0E = 14 × 5 ms = 70 ms\n"
              "# 3.,4. Stelle (ab 2. Ton) = 0x0E = 14 × 5 ms = 70 ms\n"
              "F4=0E0E\n");
}

TEST(ParameterSetFile, AllSevenAndASubsetSurvivePrintAndParse)
{
    const ParameterSet all =
        setOf({{0, "F011"}, {1, "0A00"}, {2, "1212"}, {3, "0E28"}, {4, "0E0E"}, {5, "64C8"}, {6, "1010"}});
    const QString text = printParameterSet(all, SetHeader{"COM1", "4800", "F", "heute", "1.0.0"});
    EXPECT_LT(text.indexOf(QStringLiteral("\nF0=F011\n")), text.indexOf(QStringLiteral("\nF1=0A00\n")));
    EXPECT_LT(text.indexOf(QStringLiteral("\nF5=64C8\n")), text.indexOf(QStringLiteral("\nF6=1010\n")));
    const ParameterSet back = parsed(text.toUtf8().constData());
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(valueOf(back, n), valueOf(all, n)) << "F" << n;

    const ParameterSet subset = parsed(printParameterSet(setOf({{1, "0A00"}, {5, "64C8"}}), {}).toUtf8().constData());
    EXPECT_EQ(valueOf(subset, 1), "0A00");
    EXPECT_EQ(valueOf(subset, 5), "64C8");
    for (int n : {0, 2, 3, 4, 6})
        EXPECT_EQ(valueOf(subset, n), "(none)") << "F" << n;
}

TEST(ParameterSetFile, CommentsBlanksLineEndsAndCaseAreForgiven)
{
    const ParameterSet set = parsed("\xEF\xBB\xBF# from the workshop\r\n"
                                    "\r\n"
                                    "   # indented comment\n"
                                    "F3=0e28   # trailing comment with F4=FFFF in it\r\n"
                                    "\t f5 = 64c8\n"
                                    "F6=1010");
    EXPECT_EQ(valueOf(set, 3), "0E28");
    EXPECT_EQ(valueOf(set, 5), "64C8");
    EXPECT_EQ(valueOf(set, 6), "1010");
    EXPECT_EQ(valueOf(set, 4), "(none)");
    EXPECT_EQ(valueOf(parsed("# nothing but comments\n\n"), 0), "(none)");
}

TEST(ParameterSetFile, TheFirstBadLineIsNamedWithItsNumberAndReason)
{
    struct Case {
        const char *text;
        int line;
        const char *what;
    };
    const Case cases[] = {
        {"F3=0E28\nF7=0000\n", 2, "Parameter „F7“ gibt es nicht (nur F0 bis F6)"},
        {"# c\n\nX3=0E28\n", 3, "unbekannter Schlüssel „X3“ (erwartet F0 bis F6)"},
        {"F3 0E28\n", 1, "„=“ fehlt in „F3 0E28“ (erwartet Fn=XXXX, z. B. F3=0E28)"},
        {"F3=0E2\n", 1, "Wert „0E2“ von F3 ist nicht vier Hexadezimalziffern (0-9, A-F)"},
        {"F3=0E28F\n", 1, "Wert „0E28F“ von F3 ist nicht vier Hexadezimalziffern (0-9, A-F)"},
        {"F3=0G28\n", 1, "Wert „0G28“ von F3 ist nicht vier Hexadezimalziffern (0-9, A-F)"},
        {"F3=\x1b[2J\n", 1, "Wert „\xEF\xBF\xBD[2J“ von F3 ist nicht vier Hexadezimalziffern (0-9, A-F)"},
        {"F3=\n", 1, "nach „F3=“ fehlt der Wert (vier Hexadezimalziffern)"},
        {"=0E28\n", 1, "vor „=“ fehlt der Parameter (F0 bis F6)"},
        {"F3=0E28\r\n# x\r\nF3=0E3C\r\nF9=0\r\n", 3, "F3 steht doppelt (schon in Zeile 1)"},
    };
    for (const Case &c : cases) {
        const SetParseError e = errorOf(c.text);
        EXPECT_EQ(e.line, c.line) << c.text;
        EXPECT_EQ(e.what.toStdString(), c.what) << c.text;
    }
}

TEST(ParameterSetFile, ValuesAreExactlyFourAsciiHexDigits)
{
    EXPECT_TRUE(isParameterValue(QStringLiteral("0E28")));
    EXPECT_TRUE(isParameterValue(QStringLiteral("abcf")));
    EXPECT_FALSE(isParameterValue(QStringLiteral("0E2")));
    EXPECT_FALSE(isParameterValue(QStringLiteral(" 0E28")));
    EXPECT_FALSE(isParameterValue(QStringLiteral("0E2G")));
    EXPECT_FALSE(isParameterValue(QString::fromUtf8("٠١٢٣")));   // digits, but not ASCII ones
    EXPECT_FALSE(isParameterValue(QString()));
}

TEST(ParameterSetFile, TheUnitsBytesInAMessageAreQuotedReadablyToTheLastByte)
{
    const std::pair<QByteArray, const char *> cases[] = {
        {"SRF30E28\r\n", "„SRF30E28\\r\\n“"},
        {QByteArray("\x1b[2J\tC:\\"), "„\\x1B[2J\\tC:\\\\“"},
        // NUL, DEL, two bytes Windows-1252 leaves undefined, the soft hyphen that shows nothing.
        {QByteArray("\x00\x7f\x81\x9d\xad", 5), "„\\x00\\x7F\\x81\\x9D\\xAD“"},
        {"\x80\xe4\xdf", "„€äß“"},
        {"0123456789012345678901234567", "„012345678901234567890123…“"},
        {"", "„“"},
    };
    for (const auto &[bytes, shown] : cases)
        EXPECT_EQ(quotedBytes(bytes).toStdString(), shown) << bytes.toHex().toStdString();
}
