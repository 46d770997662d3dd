// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a parameter's value looks like, on its own so that the set file and the meaning of a
// value can both ask it without needing each other.

#include <QString>

// Exactly four hexadecimal digits (0-9, A-F, a-f), nothing around them.
bool isParameterValue(const QString &text);
