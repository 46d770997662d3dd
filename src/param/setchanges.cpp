// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/setchanges.h"

#include "param/console.h"
#include "param/session.h"
#include "unit/parameters/parametermeaning.h"
#include "unit/parameters/setfileio.h"

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

void printChange(TextOutput &out, int n, const QString &unitValue, const QString &fileValue)
{
    out << changeText(n, unitValue, fileValue);
}
