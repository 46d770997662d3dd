#include "window/app/startup.h"

#include "widgets/mainwindow.h"
#include "window/commands/parametertexts.h"
#include "window/programstate.h"

#include <cmath>

int innerHeightPixels(int dotsPerInch)
{
    constexpr int kInnerHeightTwips = 5280;
    constexpr int kTwipsPerInch = 1440;
    return int(std::lround(double(kInnerHeightTwips) * dotsPerInch / kTwipsPerInch));
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

QString informationAsked(const QStringList &arguments, const QString &version)
{
    const QStringList given = arguments.mid(1);
    if (given.contains(QStringLiteral("--help")) || given.contains(QStringLiteral("-h")))
        return QStringLiteral("Aufruf: rix-term [--version] [--help]\n"
                              "RIX-TERM richtet eine RIX-Einheit über die serielle Schnittstelle ein.\n"
                              "Schnittstelle, Baudrate und Adresse werden im Fenster gewählt; sonst nimmt\n"
                              "das Programm keine Angaben entgegen. Parameter von der Kommandozeile: rix-param.\n");
    if (given.contains(QStringLiteral("--version")))
        return QStringLiteral("rix-term %1\n").arg(version);
    return QString();
}
