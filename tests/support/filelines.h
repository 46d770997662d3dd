// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text file's lines as bytes, without their line feeds.

#include <QByteArray>
#include <QList>
#include <QString>

// Empty when the file cannot be read.
QList<QByteArray> fileLines(const QString &path);
