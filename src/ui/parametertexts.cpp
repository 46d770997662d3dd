#include "ui/parametertexts.h"

#include "ui/mainwindow.h"

#include <array>

namespace {
struct Description {
    const char *title;
    int blanks;   // the run of blanks that pushes the value to the right
    const char *value;
    const char *digits;
};

// UTF-8 literals; the German letters are single bytes once on screen or on the line.
constexpr std::array<Description, 7> kDescriptions = {{
    {"RIX-Adresse", 38, "(F011)", "1. Stelle (0 ... F)"},
    {"Min. AW-Tonlänge aller Töne", 13, "(0A00)", "1. u. 2. Stelle [N*5ms] "},
    {"max. AW-Tonlänge aller Töne", 13, "(1212)", "1.,2. Stelle u. ab 2.Stelle [N*5ms] "},
    {"Vorlaufzeit", 43, "(0E28)", "3.,4. Stelle  [N*5ms] "},
    {"Tonlänge Rufgeber", 29, "(0E0E)", "1.,2. St. 1. Ton, 3.,4 St. ab 2.Ton [N*5ms]"},
    {"Tonlänge Einton-Auswerter", 17, "(64C8)", "3.,4 Stelle min. Länge Ruf I, II [N*5ms]"},
    {"Baudrate u. FMS-Leitstellenquittung", 4, "(1010)", "1.St. 0=4800(RIX)/1=VK7000, 2.St.Q=(1/0)"},
}};
} // namespace

QString parameterCaption(int parameter)
{
    const Description &d = kDescriptions.at(std::size_t(parameter));
    return QString::fromUtf8(d.title) + QString(d.blanks, QLatin1Char(' ')) + QLatin1String(d.value)
           + QLatin1Char('\r') + QString::fromUtf8(d.digits);
}

void SetParameterTexts(MainWindow &w, const QString &addressDigit)
{
    const std::array<CaptionLabel *, 7> labels = {w.lblF0, w.lblF1, w.lblF2, w.lblF3, w.lblF4, w.lblF5, w.lblF6};
    const std::array<QPushButton *, 7> buttons = {w.cmdF0, w.cmdF1, w.cmdF2, w.cmdF3, w.cmdF4, w.cmdF5, w.cmdF6};
    for (int n = 0; n < 7; ++n) {
        labels[std::size_t(n)]->setCaption(parameterCaption(n));
        buttons[std::size_t(n)]->setToolTip(QStringLiteral("$R") + addressDigit + QStringLiteral("RF")
                                             + QString::number(n));
    }
}
