// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/lamps.h"

#include "unit/conversation/conversation.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"

namespace {
void setLit(QLabel *lamp, bool lit)
{
    // Refreshed at every tick; a lamp that already shows its state is left alone, so an
    // idle connection costs no palette work.
    const bool shownLit = lamp->testAttribute(Qt::WA_SetPalette)
                          && lamp->palette().color(QPalette::WindowText) == lampRed();
    if (lit == shownLit && (lit || !lamp->testAttribute(Qt::WA_SetPalette)))
        return;
    if (lit) {
        QPalette palette = lamp->palette();
        palette.setColor(QPalette::WindowText, lampRed());
        lamp->setPalette(palette);
    } else {
        // An empty palette inherits every role again, so the colour follows the system.
        lamp->setPalette(QPalette());
    }
}

// A lamp lights while its line is at the level the lamp is set to.
bool lit(std::uint32_t status, std::uint32_t line, bool litWhenSet)
{
    return ((status & line) != 0) == litWhenSet;
}
} // namespace

void ShowModemStatus(Program &p)
{
    const std::optional<std::uint32_t> status = p.conversation.modemStatus();
    MainWindow &w = p.w;
    if (!status) {
        // The port has no modem lines to report (a pseudo-terminal): no lamp is lit.
        for (QLabel *lamp : {w.lblrx6(), w.lblRX1(), w.lblrx9(), w.lblrx8()})
            setLit(lamp, false);
        return;
    }
    const ProgramState::IndicatorLevels &level = p.state.IndicatorLevel;
    setLit(w.lblrx6(), lit(*status, ModemLine::dsr, level.dsr));
    setLit(w.lblRX1(), lit(*status, ModemLine::dcd, level.dcd));
    setLit(w.lblrx9(), lit(*status, ModemLine::ri, level.ri));
    setLit(w.lblrx8(), lit(*status, ModemLine::cts, level.cts));
}

void lblRX1_MouseDown(Program &p) { p.state.IndicatorLevel.dcd = !p.state.IndicatorLevel.dcd; }
void lblrx9_MouseDown(Program &p) { p.state.IndicatorLevel.ri = !p.state.IndicatorLevel.ri; }
void lblrx6_MouseDown(Program &p) { p.state.IndicatorLevel.dsr = !p.state.IndicatorLevel.dsr; }
void lblrx8_MouseDown(Program &p) { p.state.IndicatorLevel.cts = !p.state.IndicatorLevel.cts; }
