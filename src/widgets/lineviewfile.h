// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving a list to a file, complete or not at all (see CompleteFile).

#include <QString>

class LineStore;

// Saves every line as "HH:MM:SS.mmm<Tab>text\n" in UTF-8, its bytes written as a recording
// writes them (control bytes as \xHH). Returns false and the reason in
// *errorText when the file could not be written completely.
bool saveLines(const LineStore &store, const QString &path, QString *errorText);
