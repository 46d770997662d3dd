// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puts the seven parameter descriptions on their labels and the read commands on the parameter buttons.

#include <QString>

class MainWindow;

// Writes the seven captions into lblF0..lblF6 and "$R" + AddressDigit + "RFn" as the tool
// tip of cmdF0..cmdF6, all fourteen every time; `addressDigit` is the one of the last connect.
void SetParameterTexts(MainWindow &window, const QString &addressDigit);
