// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/setoutput.h"

#include "param/stopsignals.h"
#include "unit/files/completefile.h"
#include "unit/parameters/setfileio.h"

#include <QDir>

QString outputRefusal(const QString &path, StopRequest &stop)
{
    // The check is the save's own first step, made and undone: a file is made beside the
    // target, as the save will make it, and removed again at once.
    QString reason;
    {
        CompleteFile trial(path);
        stop.guardTemporaryFile([&] {
            if (!trial.open())
                reason = notSavedMessage(path, trial.errorText());
            return trial.temporaryName();
        });
    }
    stop.releaseTemporaryFile();
    return reason;
}

QString folderRefusal(const QString &folder, StopRequest &stop)
{
    const QString probe = QDir(folder).filePath(QStringLiteral(".rix-param-probe"));
    return outputRefusal(probe, stop).replace(probe, folder);
}

QString saveSet(const QString &path, const QString &text, StopRequest &stop)
{
    return saveSetFile(path, text, {[&stop](const std::function<QByteArray()> &make) { stop.guardTemporaryFile(make); },
                                    [&stop] { stop.releaseTemporaryFile(); }});
}
