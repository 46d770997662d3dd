#include "receive/lamps.h"

#include "serial/serialchannel.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

namespace {
// IndicatorLevel index of each lamp.
constexpr int kDcd = 1, kRi = 2, kDsr = 3, kCts = 4;

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

void swapLevel(Program &p, int index)
{
    QString &level = p.state.IndicatorLevel[std::size_t(index)];
    level = level == QLatin1String("1") ? QStringLiteral("0") : QStringLiteral("1");
}
} // namespace

void ShowModemStatus(Program &p)
{
    const std::optional<std::uint32_t> status = p.channel.modemStatus();
    MainWindow &w = p.w;
    if (!status) {
        // The port has no modem lines to report (a pseudo-terminal): no lamp is lit.
        for (QLabel *lamp : {w.lblrx6, w.lblRX1, w.lblrx9, w.lblrx8})
            setLit(lamp, false);
        return;
    }
    // Eight binary digits, most significant first: DCD, RI, DSR, CTS, then four unused.
    const QString digits = QString::number(*status & 0xFFu, 2).rightJustified(8, QLatin1Char('0'));
    const auto &level = p.state.IndicatorLevel;
    setLit(w.lblrx6, digits.mid(2, 1) == level[kDsr]);
    setLit(w.lblRX1, digits.mid(0, 1) == level[kDcd]);
    setLit(w.lblrx9, digits.mid(1, 1) == level[kRi]);
    setLit(w.lblrx8, digits.mid(3, 1) == level[kCts]);
}

void lblRX1_MouseDown(Program &p) { swapLevel(p, kDcd); }
void lblrx9_MouseDown(Program &p) { swapLevel(p, kRi); }
void lblrx6_MouseDown(Program &p) { swapLevel(p, kDsr); }
void lblrx8_MouseDown(Program &p) { swapLevel(p, kCts); }
