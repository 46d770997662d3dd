// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Parameter-set files on disk: read whole and parsed, or written completely or not at all.

#include "unit/parameters/parameterset.h"

#include <QString>

#include <variant>

// The set in `path`, or a German reason; a bad line is reported as "PATH:LINE: what".
std::variant<ParameterSet, QString> loadSetFile(const QString &path);

// Writes `text` as UTF-8 to `path` through a temporary file that replaces it only when
// every byte is on disk. Only a regular file (or a new one) is written. Returns the German
// reason of a failure; empty on success.
QString saveSetFile(const QString &path, const QString &text);
