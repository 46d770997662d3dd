// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/handbookfile.h"

#include <QDir>
#include <QFileInfo>

// RIX_DOC_FOLDER_FROM_PROGRAM: the documentation folder relative to the programs' folder
// ("../share/doc/rix-term"); RIX_SOURCE_DOCS: the source tree's docs/. Both from CMake.

QString handbookFile(const QString &programFolder)
{
    const QString installed =
        QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(RIX_DOC_FOLDER_FROM_PROGRAM "/handbuch.md")));
    if (QFileInfo(installed).isFile())
        return installed;
    const QString source = QStringLiteral(RIX_SOURCE_DOCS "/handbuch.md");
    if (QFileInfo(source).isFile())
        return source;
    return installed;
}
