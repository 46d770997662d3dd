// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One unit's report as JSON, for a workshop's inventory: what rix-param printed for it, read
// back into fields — the values read, the changes found, each written parameter's state.

#include "param/commandline.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

// The unit's address digit in a set file's text: F0's first digit; null without F0.
QChar setAddress(const QString &setText);

// {"port", "exit", "signal", and for read "address" and "values" {"F0": "F011", …}; for diff
// and write "changes" [{"parameter", "unit", "file"}]; for write "report" [{"parameter",
// "unit", "file", "state"}] when one was printed; "messages": the unit's lines on standard
// error}.
QByteArray unitReportJson(ParamOptions::Command command, const QString &port, int exitCode, int signal,
                          const QString &out, const QStringList &messages);
