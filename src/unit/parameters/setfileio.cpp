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

QString saveSetFile(const QString &path, const QString &text)
{
    CompleteFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open() || !file.write(bytes.constData(), std::size_t(bytes.size())) || !file.commit())
        return QStringLiteral("%1: nichts gespeichert. %2").arg(path, file.errorText());
    return QString();
}
