#include "app/startup.h"

#include "shared/programstate.h"
#include "ui/mainwindow.h"
#include "ui/parametertexts.h"

#include <cmath>

int frameAdjustFor(double measuredFrameTwips)
{
    return int(std::nearbyint(measuredFrameTwips - 405.0));
}

int windowHeightTwips(int frameAdjust)
{
    return frameAdjust + 5685;
}

int innerHeightPixels(double measuredFrameTwips, double twipsPerPixel)
{
    const double outer = windowHeightTwips(frameAdjustFor(measuredFrameTwips));
    return int(std::lround((outer - measuredFrameTwips) / twipsPerPixel));
}

namespace {
// An editable combo box selects its first entry when it gets one; the program's boxes
// show their start text with no entry selected.
void fillUnselected(QComboBox *box, const QString &text, const QStringList &entries)
{
    box->setEditText(text);
    box->addItems(entries);
    box->setCurrentIndex(-1);
    box->setEditText(text);
}
} // namespace

void InitProgram(MainWindow &w, ProgramState &state)
{
    state.PortName = QStringLiteral("COM1");
    state.BaudText = QStringLiteral("19200");
    state.AddressDigit = QStringLiteral("S");
    state.DisplayStart = 0;
    state.ButtonCommandFlag = 0;
    for (int i = 1; i <= 4; ++i)
        state.IndicatorLevel[std::size_t(i)] = QStringLiteral("1");

    QStringList ports;
    for (int n = 1; n <= 10; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    fillUnselected(w.cbCOM, state.PortName, ports);

    // The address box offers only its list, so an address is always one character.
    w.cbAdr->addItems({"F", "E", "D", "C", "B", "A", "0", "9", "8", "7", "6", "5", "4", "3", "2", "1", "S"});
    w.cbAdr->setCurrentIndex(16);

    fillUnselected(w.cbbaud, state.BaudText, {QStringLiteral("4800"), QStringLiteral("19200")});

    SetParameterTexts(w, state.AddressDigit);
}

QString missingDisplayMessage(const QStringList &arguments, const QString &qpaPlatform, const QString &display,
                              const QString &waylandDisplay)
{
    if (!display.isEmpty() || !waylandDisplay.isEmpty())
        return QString();
    QString asked = qpaPlatform;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i)
        if (arguments.at(i) == QLatin1String("-platform") || arguments.at(i) == QLatin1String("--platform"))
            asked = arguments.at(i + 1);
    // "wayland;xcb" names fallbacks, "xcb:option=value" carries options.
    for (const QString &entry : asked.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!name.isEmpty() && name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return QString();
    }
    return QStringLiteral("rix-term: Keine grafische Anzeige: weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt.");
}
