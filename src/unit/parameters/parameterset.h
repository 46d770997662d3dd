// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A unit's parameter set as a text file: one "Fn=XXXX" line per parameter, `#` comments,
// each value explained from the parameter descriptions.

#include "unit/parameters/parametervalue.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <variant>

struct ParameterSet {
    std::array<std::optional<QString>, 7> value;   // index n = parameter Fn; four upper-case hex digits
};

// What the file's header names: where and when the set was read. Empty fields are left out.
struct SetHeader {
    QString port, baud, address, date, programVersion;
};

// The whole file as UTF-8 text: header comment, then the present parameters F0..F6 in order,
// each with its explanation. Lines end with LF.
QString printParameterSet(const ParameterSet &set, const SetHeader &header);

struct SetParseError {
    int line;       // counted from 1
    QString what;   // German
};

// Parses a file's text. Comments, blank lines, blanks around key and value, CR LF line ends
// and a leading byte-order mark are allowed; the file may hold any subset of F0..F6, even none.
// Values are taken in either case and stored upper case. Stops at the first bad line.
std::variant<ParameterSet, SetParseError> parseParameterSet(const QString &text);

// A piece of a file's line inside a message: short, in „…“, and with no control character
// that could upset the terminal it is printed on.
QString quoted(const QString &text);

// Bytes from the unit inside a message, the same way, but readable to the last byte: CR, LF
// and TAB as \r, \n and \t, a backslash as \\, any other control byte and the bytes
// Windows-1252 leaves undefined as \xHH; every other byte as its Windows-1252 character.
QString quotedBytes(const QByteArray &bytes);
