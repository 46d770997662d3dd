// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/storesnothing.h"

#include <QCoreApplication>
#include <QSettings>

void keepQtDialogsFromStoringAnything()
{
    // Qt's dialogs keep their state through QSettings(UserScope, "QtProject") in the native
    // format, an INI file under ~/.config on Linux. No folder can ever exist below /dev/null,
    // not even for root, so they read an empty history and their writes fail quietly.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
    // Qt's own file dialog, not the desktop's: it keeps no recent files of its own and speaks
    // German through Qt's translation, whatever language the desktop has.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}
