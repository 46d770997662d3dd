// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The unit's bytes as text wherever a person or a tool reads them: a recording's and a saved
// list's fields, and the bytes the messages of rix-param and the „Parametersatz …“ dialog
// quote. Each byte is its Windows-1252 character, except
//   - CR, LF, TAB and the backslash: \r, \n, \t, \\;
//   - a byte no tool should meet raw or that shows nothing: the control bytes, DEL, the five
//     bytes the code page has no character for, and the soft hyphen 0xAD: \xHH (upper case).
// So every byte reads back from its text (recordformat's reader), and none hides in it.

#include <QByteArrayView>
#include <QString>

QString escapedBytes(QByteArrayView bytes);
