// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parameterset.h"

#include "unit/escapedbytes.h"
#include "unit/parameters/parameterdescriptions.h"
#include "unit/parameters/parametermeaning.h"

#include <QStringList>

namespace {
// Parameter number of a key "F0".."F6" (either case), or -1.
int parameterOfKey(const QString &key)
{
    if (key.size() != 2 || (key.at(0) != QLatin1Char('F') && key.at(0) != QLatin1Char('f')))
        return -1;
    const char16_t d = key.at(1).unicode();
    return d >= '0' && d <= '6' ? int(d - '0') : -1;
}

// "F7", "F12": looks like a parameter, but the unit has none of that number.
bool isOtherParameterNumber(const QString &key)
{
    if (key.size() < 2 || (key.at(0) != QLatin1Char('F') && key.at(0) != QLatin1Char('f')))
        return false;
    for (int i = 1; i < key.size(); ++i)
        if (key.at(i).unicode() < '0' || key.at(i).unicode() > '9')
            return false;
    return true;
}

void appendHeaderLine(QString &out, const char *label, const QString &value)
{
    if (!value.isEmpty())
        out += QStringLiteral("# ") + QLatin1String(label) + QStringLiteral(": ") + value + QLatin1Char('\n');
}
} // namespace

QString quoted(const QString &text)
{
    constexpr int max = 24;
    QString shown = text.size() > max ? text.left(max) + QChar(0x2026) : text;
    for (QChar &c : shown)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QChar(0xFFFD);
    return QChar(0x201E) + shown + QChar(0x201C);
}

QString quotedBytes(const QByteArray &bytes)
{
    constexpr qsizetype max = 24;
    return QChar(0x201E) + escapedBytes(bytes.left(max)) + (bytes.size() > max ? QString(QChar(0x2026)) : QString())
           + QChar(0x201C);
}

QString printParameterSet(const ParameterSet &set, const SetHeader &header)
{
    QString out = QStringLiteral("# RIX-Parametersatz\n");
    appendHeaderLine(out, "Schnittstelle", header.port);
    appendHeaderLine(out, "Baudrate", header.baud);
    appendHeaderLine(out, "Adresse", header.address);
    appendHeaderLine(out, "Datum", header.date);
    appendHeaderLine(out, "Programmversion", header.programVersion);
    out += QString::fromUtf8("#\n# Je Parameter eine Zeile Fn=XXXX mit vier Hexadezimalziffern; "
                             "„#“ beginnt einen Kommentar.\n");
    for (int n = 0; n < 7; ++n) {
        const std::optional<QString> &value = set.value[std::size_t(n)];
        if (!value)
            continue;
        const QString key = QStringLiteral("F") + QString::number(n);
        out += QLatin1Char('\n');
        out += QStringLiteral("# ") + key + QLatin1Char(' ') + parameterTitle(n) + QLatin1Char('\n');
        out += QString::fromUtf8("# Beschreibung: „") + parameterDescriptionDigits(n).trimmed()
               + QString::fromUtf8("“\n");
        for (const QString &line : describeParameter(n, *value))
            out += QStringLiteral("# ") + line + QLatin1Char('\n');
        out += key + QLatin1Char('=') + value->toUpper() + QLatin1Char('\n');
    }
    return out;
}

std::variant<ParameterSet, SetParseError> parseParameterSet(const QString &text)
{
    ParameterSet set;
    std::array<int, 7> lineOf{};   // where each parameter was found, for a duplicate's message
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QString line = lines.at(i);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.trimmed();   // also the CR of a CR LF line end
        if (line.isEmpty())
            continue;

        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return SetParseError{lineNumber, QString::fromUtf8("„=“ fehlt in ") + quoted(line)
                                                 + QString::fromUtf8(" (erwartet Fn=XXXX, z. B. F3=0E28)")};
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        const int n = parameterOfKey(key);
        if (key.isEmpty())
            return SetParseError{lineNumber, QString::fromUtf8("vor „=“ fehlt der Parameter (F0 bis F6)")};
        if (n < 0 && isOtherParameterNumber(key))
            return SetParseError{lineNumber, QStringLiteral("Parameter ") + quoted(key)
                                                 + QStringLiteral(" gibt es nicht (nur F0 bis F6)")};
        if (n < 0)
            return SetParseError{lineNumber, QStringLiteral("unbekannter Schlüssel ") + quoted(key)
                                                 + QStringLiteral(" (erwartet F0 bis F6)")};
        const QString name = QStringLiteral("F") + QString::number(n);
        if (value.isEmpty())
            return SetParseError{lineNumber, QString::fromUtf8("nach „") + name
                                                 + QString::fromUtf8("=“ fehlt der Wert (vier Hexadezimalziffern)")};
        if (!isParameterValue(value))
            return SetParseError{lineNumber, QStringLiteral("Wert ") + quoted(value) + QStringLiteral(" von ")
                                                 + name
                                                 + QStringLiteral(" ist nicht vier Hexadezimalziffern (0-9, A-F)")};
        if (set.value[std::size_t(n)])
            return SetParseError{lineNumber, name + QStringLiteral(" steht doppelt (schon in Zeile ")
                                                 + QString::number(lineOf[std::size_t(n)]) + QLatin1Char(')')};
        set.value[std::size_t(n)] = value.toUpper();
        lineOf[std::size_t(n)] = lineNumber;
    }
    return set;
}
