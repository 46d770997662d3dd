// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven parameter descriptions as the unit's documentation words them: shown on the
// window's labels and quoted in parameter-set files, so both say exactly the same.

#include <QString>

// Title of parameter 0..6, e.g. "Vorlaufzeit".
QString parameterDescriptionTitle(int parameter);

// The second line of the description, which digits of the value mean what, exactly as on
// the label (some end with a blank), e.g. "3.,4. Stelle  [N*5ms] ".
QString parameterDescriptionDigits(int parameter);

// The label's caption: title, blanks, an example value in parentheses, CR, the digits line.
QString parameterCaption(int parameter);
