#pragma once
// What the window's answer list would show for one answer of the unit: the one place where
// rix-param hands a burst to the receive rules, so both programs read the unit alike.

#include <QByteArray>
#include <QString>

// `burst`: the bytes as they came, from the first byte after the command until the line was
// quiet. `command`: what was sent for it, by a command button (so the skip of a button's
// answer applies). `baudText`: the rate as the window's baud box would hold it.
// Empty when the answer list would get no line (nothing but blanks after the returned command).
QByteArray shownAnswer(const QByteArray &burst, const QByteArray &command, const QString &baudText);
