#pragma once
// The seven parameter descriptions and the read commands of the parameter buttons.

#include <QString>

class MainWindow;

// Caption of parameter 0..6: title, blanks, value in parentheses, CR, meaning of the digits.
QString parameterCaption(int parameter);

// Writes the seven captions into lblF0..lblF6 and "$R" + AddressDigit + "RFn" as the tool
// tip of cmdF0..cmdF6, all fourteen every time; `addressDigit` is the one of the last connect.
void SetParameterTexts(MainWindow &window, const QString &addressDigit);
