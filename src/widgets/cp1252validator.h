// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Accepts only text that Windows-1252 can represent, typed or pasted, so no character
// is ever turned silently into another byte on the line; and no control character, which
// a line edit shows as a blank or not at all while the line would carry it. The command
// line cleans pasted text before it gets here (CommandLineEdit), so this refuses typing.

#include <QValidator>

class Cp1252Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
