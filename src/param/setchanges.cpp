// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/setchanges.h"

#include "param/console.h"
#include "param/session.h"
#include "unit/parametermeaning.h"
#include "unit/setfileio.h"

#include <algorithm>

ParameterSet loadSetOrFail(const QString &path, bool writing)
{
    const QString nothingWritten = writing ? QStringLiteral(" Nichts geschrieben.") : QString();
    auto loaded = loadSetFile(path);
    if (const auto *reason = std::get_if<QString>(&loaded))   // "FILE:LINE: what" ends without a full stop
        throw ParamFailure{*reason + (writing && !reason->endsWith(QLatin1Char('.')) ? QStringLiteral(".") : QString())
                           + nothingWritten};
    ParameterSet set = std::get<ParameterSet>(std::move(loaded));
    // A file without a parameter line (a wrong file, an empty one) would compare "equal".
    if (std::none_of(set.value.begin(), set.value.end(), [](const auto &value) { return value.has_value(); }))
        throw ParamFailure{QStringLiteral("%1: enthält keine Zeile Fn=XXXX.").arg(path) + nothingWritten};
    return set;
}

std::vector<int> differing(const ParameterSet &file, const ParameterSet &unit)
{
    std::vector<int> changed;
    for (std::size_t n = 0; n < file.value.size(); ++n) {
        const auto &wanted = file.value[n];
        if (wanted && unit.value[n] != wanted->toUpper())
            changed.push_back(int(n));
    }
    return changed;
}

void printChange(TextOutput &out, int n, const QString &unitValue, const QString &fileValue)
{
    out << parameterName(n) << ": " << unitValue << " → " << fileValue << " (" << parameterTitle(n) << ")\n";
    const QStringList before = describeParameter(n, unitValue);
    const QStringList after = describeParameter(n, fileValue);
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        const QString was = before.value(i), will = after.value(i);
        if (was == will)
            continue;
        if (!was.isEmpty())
            out << "    Gerät: " << was << '\n';
        if (!will.isEmpty())
            out << "    Datei: " << will << '\n';
    }
}
