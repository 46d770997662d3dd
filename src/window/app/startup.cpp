// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/startup.h"

#include "widgets/mainwindow.h"
#include "window/commands/parametertexts.h"
#include "window/programstate.h"

#include <cmath>

int innerHeightPixels(int dotsPerInch)
{
    constexpr int innerHeightTwips = 5280;
    constexpr int twipsPerInch = 1440;
    return int(std::lround(double(innerHeightTwips) * dotsPerInch / twipsPerInch));
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

void InitProgram(MainWindow &w, const ProgramState &state)
{
    QStringList ports;
    for (int n = 1; n <= 10; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    fillUnselected(w.cbCOM(), state.PortName, ports);

    // The address box offers only its list, so an address is always one character.
    w.cbAdr()->addItems({"F", "E", "D", "C", "B", "A", "0", "9", "8", "7", "6", "5", "4", "3", "2", "1", "S"});
    w.cbAdr()->setCurrentIndex(16);

    fillUnselected(w.cbbaud(), state.BaudText, {QStringLiteral("4800"), QStringLiteral("19200")});

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

QString unreachableDisplayMessage(const QStringList &failedPlatforms, const QString &x11Display,
                                  const QString &waylandDisplay)
{
    QStringList displays;
    bool windowSystem = false;
    for (const QString &platform : failedPlatforms) {
        QString display;
        if (platform == QLatin1String("xcb"))
            display = x11Display;
        else if (platform.startsWith(QLatin1String("wayland")))
            display = waylandDisplay.isEmpty() ? QStringLiteral("wayland-0") : waylandDisplay;
        else
            continue;
        windowSystem = true;
        if (!display.isEmpty() && !displays.contains(display))
            displays << display;
    }
    if (!windowSystem)
        return QString();
    if (displays.isEmpty())
        return QStringLiteral("rix-term: Die grafische Anzeige ist nicht erreichbar: DISPLAY ist nicht gesetzt.");
    if (displays.size() == 1)
        return QStringLiteral("rix-term: Die grafische Anzeige „%1“ ist nicht erreichbar.").arg(displays.front());
    return QStringLiteral("rix-term: Die grafischen Anzeigen „%1“ sind nicht erreichbar.")
        .arg(displays.join(QStringLiteral("“ und „")));
}
