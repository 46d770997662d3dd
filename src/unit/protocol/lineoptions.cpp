// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/protocol/lineoptions.h"

namespace {

QString shownName(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

QStringList LineOptions::names()
{
    return {QStringLiteral("port"), QStringLiteral("baud"), QStringLiteral("address")};
}

QString refusalText(const QCommandLineParser &parser, const QStringList &words, const QStringList &valueOptions,
                    const RefusalWording &wording)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Unbekannte Option „%1“.").arg(shownName(parser.unknownOptionNames().constFirst()));
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words.at(i);
        // After "--" every word is an argument, never an option the parser could refuse.
        if (word == QLatin1String("--"))
            break;
        if (!word.startsWith(QLatin1Char('-')))
            continue;
        const QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        const QString option = wording.optionAsTyped ? word.section(QLatin1Char('='), 0, 0) : shownName(name);
        const bool takesValue = valueOptions.contains(name);
        if (!takesValue && word.contains(QLatin1Char('=')))
            return wording.takesNoValue.arg(option);
        if (takesValue && !word.contains(QLatin1Char('=')) && i + 1 == words.size())
            return valueMissingText(option);
    }
    return parser.errorText();
}

QString valueMissingText(const QString &option)
{
    return QStringLiteral("Bei „%1“ fehlt der Wert.").arg(option);
}
