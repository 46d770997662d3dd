#pragma once
// Reading and writing one parameter with the window's exact commands.

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>

class UnitLine;

// "$R" + address + "RF" + n: what cmdFn sends.
QByteArray readCommand(QChar address, int n);
// "$R" + address + "PF" + n + value: the write the window's write button prepares, nothing added.
QByteArray writeCommand(QChar address, int n, const QString &value);

// The value in an answer as the answer list shows it: four hexadecimal digits, upper case.
// Blanks after them are allowed (a unit may pad with them); anything else is no value.
std::optional<QString> parameterValue(const QByteArray &shown);

struct ParameterRead {
    std::optional<QString> value;   // empty when the unit gave no value, also after the retry
    QByteArray shown;               // the last shown answer, for the message; empty when none came
};

// Reads Fn: the read command, the answer under the receive rules of `baudText`, and once
// more when no value came.
ParameterRead readParameter(UnitLine &line, QChar address, int n, const QString &baudText);
