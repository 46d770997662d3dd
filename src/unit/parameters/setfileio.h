// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Parameter-set files on disk: read whole and parsed, or written completely or not at all.

#include "unit/parameters/parameterset.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <variant>

// The set in `path`, or a German reason; a bad line is reported as "PATH:LINE: what".
std::variant<ParameterSet, QString> loadSetFile(const QString &path);

// The temporary file a save makes beside its target, for a program that must remove it when
// a signal ends it (rix-param): `make` is run through `guard`, which learns the file's name
// from it; `release` runs once the file has the target's name or is gone.
struct TemporaryFileGuard {
    std::function<void(const std::function<QByteArray()> &make)> guard;
    std::function<void()> release;
};

// Writes `text` as UTF-8 to `path` through a temporary file that replaces it only when
// every byte is on disk. Only a regular file (or a new one) is written. Returns the German
// reason of a failure; empty on success.
QString saveSetFile(const QString &path, const QString &text, const TemporaryFileGuard &temporary = {});

// The message of a save that wrote nothing, and why.
QString notSavedMessage(const QString &path, const QString &reason);
