// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/commands/parametertexts.h"

#include "widgets/mainwindow.h"

#include "unit/parameters/parameterdescriptions.h"
#include "unit/protocol/protocol.h"

#include <array>

void SetParameterTexts(MainWindow &w, const QString &addressDigit)
{
    const std::array<CaptionLabel *, 7> labels = {w.lblF0(), w.lblF1(), w.lblF2(), w.lblF3(), w.lblF4(), w.lblF5(), w.lblF6()};
    const std::array<QPushButton *, 7> buttons = {w.cmdF0(), w.cmdF1(), w.cmdF2(), w.cmdF3(), w.cmdF4(), w.cmdF5(), w.cmdF6()};
    for (int n = 0; n < 7; ++n) {
        labels[std::size_t(n)]->setCaption(parameterCaption(n));
        buttons[std::size_t(n)]->setToolTip(protocol::readParameter(addressDigit, n));
    }
}
