// SPDX-License-Identifier: GPL-3.0-or-later
#include "param/setoutput.h"

#include "param/stopsignals.h"
#include "unit/files/completefile.h"

namespace {

QString notSaved(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: nichts gespeichert. %2").arg(path, reason);
}

} // namespace

QString outputRefusal(const QString &path, StopRequest &stop)
{
    // The check is the save's own first step, made and undone: a file is made beside the
    // target, as the save will make it, and removed again at once.
    QString reason;
    {
        CompleteFile trial(path);
        stop.guardTemporaryFile([&] {
            if (!trial.open())
                reason = notSaved(path, trial.errorText());
            return trial.temporaryName();
        });
    }
    stop.releaseTemporaryFile();
    return reason;
}

QString saveSet(const QString &path, const QString &text, StopRequest &stop)
{
    QString failure;
    {
        CompleteFile file(path);
        bool opened = false;
        stop.guardTemporaryFile([&] {
            opened = file.open();
            return file.temporaryName();
        });
        const QByteArray bytes = text.toUtf8();
        if (!(opened && file.write(bytes.constData(), std::size_t(bytes.size())) && file.commit()))
            failure = notSaved(path, file.errorText());
    }
    // Only now: the file's end has removed a temporary file it did not commit, so a signal
    // in between still finds it guarded.
    stop.releaseTemporaryFile();
    return failure;
}
