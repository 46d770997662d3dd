// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parametermeaning.h"

#include "unit/parameters/parameterdescriptions.h"
#include "unit/parameters/parametervalue.h"

namespace {
// Digit positions count from 1 at the left, as the descriptions count them.
QChar digitAt(const QString &value, int position)
{
    return value.at(position - 1);
}

// A two-digit group given "[N*5ms]": its hex value N and N × 5 ms.
QString milliseconds(const QString &group, const QString &value, int firstPosition)
{
    const QString hex = value.mid(firstPosition - 1, 2);
    const int n = hex.toInt(nullptr, 16);
    return group + QStringLiteral(" = 0x") + hex + QStringLiteral(" = ") + QString::number(n)
           + QString::fromUtf8(" × 5 ms = ") + QString::number(n * 5) + QStringLiteral(" ms");
}

QString digitMeaning(int position, QChar digit, const QString &meaning)
{
    return QString::number(position) + QStringLiteral(". Stelle = ") + digit + QStringLiteral(": ") + meaning;
}

const QString notDescribed = QStringLiteral("nicht beschrieben");
} // namespace

QString parameterTitle(int n)
{
    if (n < 0 || n > 6)
        return {};
    return parameterDescriptionTitle(n);
}

QStringList describeParameter(int n, const QString &rawValue)
{
    if (n < 0 || n > 6 || !isParameterValue(rawValue))
        return {};
    const QString value = rawValue.toUpper();
    switch (n) {
    case 0:   // "1. Stelle (0 ... F)": every hex digit is in the stated range
        return {digitMeaning(1, digitAt(value, 1), QStringLiteral("Adresse ") + digitAt(value, 1))};
    case 1:   // "1. u. 2. Stelle [N*5ms]"
        return {milliseconds(QStringLiteral("1.,2. Stelle"), value, 1)};
    case 2:   // "1.,2. Stelle u. ab 2.Stelle [N*5ms]": which digits the second part means is not said
        return {milliseconds(QStringLiteral("1.,2. Stelle"), value, 1),
                QString::fromUtf8("„u. ab 2.Stelle“: unklar beschrieben, nicht ausgewertet")};
    case 3:   // "3.,4. Stelle  [N*5ms]"
        return {milliseconds(QStringLiteral("3.,4. Stelle"), value, 3)};
    case 4:   // "1.,2. St. 1. Ton, 3.,4 St. ab 2.Ton [N*5ms]"
        return {milliseconds(QStringLiteral("1.,2. Stelle (1. Ton)"), value, 1),
                milliseconds(QStringLiteral("3.,4. Stelle (ab 2. Ton)"), value, 3)};
    case 5:   // "3.,4 Stelle min. Länge Ruf I, II [N*5ms]"; the first two digits are not described
        return {milliseconds(QString::fromUtf8("3.,4. Stelle (min. Länge Ruf I, II)"), value, 3)};
    default: {   // "1.St. 0=4800(RIX)/1=VK7000, 2.St.Q=(1/0)": the second digit is Q, 1 or 0;
                 // which of them means what is not stated, so only Q's value is named
        const QChar first = digitAt(value, 1);
        const QChar second = digitAt(value, 2);
        const QString line = first == QLatin1Char('0')   ? QStringLiteral("4800 (RIX)")
                             : first == QLatin1Char('1') ? QStringLiteral("VK7000")
                                                         : notDescribed;
        const QString q = (second == QLatin1Char('0') || second == QLatin1Char('1'))
                              ? QStringLiteral("Q=") + second
                              : notDescribed;
        return {digitMeaning(1, first, line), digitMeaning(2, second, q)};
    }
    }
}
