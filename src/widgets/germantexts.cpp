// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/germantexts.h"

#include <QLibraryInfo>

bool loadQtGermanTexts(QTranslator &translator)
{
    return translator.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}
