// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts in the program's windows — the file dialog, its question before replacing a
// file, a box's details button — in German, from Qt's German translation (Debian ships it in
// qt6-translations-l10n, which the package depends on).

#include <QTranslator>

// Loads Qt's German texts into `translator` from Qt's translations folder; false, with Qt's
// English left in place, when they are not installed.
bool loadQtGermanTexts(QTranslator &translator);
