#pragma once
// Accepts only text that Windows-1252 can represent, typed or pasted, so no character
// is ever turned silently into another byte on the line.

#include <QValidator>

class Cp1252Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
