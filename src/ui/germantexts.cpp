#include "ui/germantexts.h"

#include <cstring>

QString GermanQtTexts::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (std::strcmp(context, "QMessageBox") != 0)
        return QString();
    if (std::strcmp(sourceText, "Show Details...") == 0)
        return QStringLiteral("Details \u2026");
    if (std::strcmp(sourceText, "Hide Details...") == 0)
        return QStringLiteral("Details ausblenden \u2026");
    return QString();
}
