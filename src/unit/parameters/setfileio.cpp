// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/setfileio.h"

#include "unit/files/completefile.h"
#include "unit/logging.h"
#include "unit/systemreason.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

std::variant<ParameterSet, QString> loadSetFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() && QFileInfo::exists(path))
        return QStringLiteral("%1: keine gewöhnliche Datei.").arg(path);
    // QFile's reason is the system's English text: the log gets it, the user the German one.
    const auto unreadable = [&](int errnoValue) {
        qCWarning(lcFile).noquote() << "cannot read" << path << "-" << file.errorString();
        return QStringLiteral("%1: lässt sich nicht lesen. %2")
            .arg(path, errnoValue > 0 ? systemReason(errnoValue) : QStringLiteral("Das System nennt keinen Grund."));
    };
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(errno);
    errno = 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(errno);
    auto parsed = parseParameterSet(QString::fromUtf8(bytes));
    if (const auto *error = std::get_if<SetParseError>(&parsed))
        return QStringLiteral("%1:%2: %3").arg(path).arg(error->line).arg(error->what);
    return std::get<ParameterSet>(std::move(parsed));
}

QString notSavedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("%1: nichts gespeichert. %2").arg(path, reason);
}

QString saveSetFile(const QString &path, const QString &text, const TemporaryFileGuard &temporary)
{
    QString failure;
    {
        CompleteFile file(path);
        bool opened = false;
        const std::function<QByteArray()> make = [&] {
            opened = file.open();
            return file.temporaryName();
        };
        if (temporary.guard)
            temporary.guard(make);
        else
            make();
        const QByteArray bytes = text.toUtf8();
        if (!(opened && file.write(bytes.constData(), std::size_t(bytes.size())) && file.commit()))
            failure = notSavedMessage(path, file.errorText());
    }
    // Only now: the file's end has removed a temporary file it did not commit, so a signal
    // in between still finds it guarded.
    if (temporary.release)
        temporary.release();
    return failure;
}
