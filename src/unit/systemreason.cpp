// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/systemreason.h"

#include <cerrno>
#include <cstring>

QString systemReason(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT: return QStringLiteral("Die Datei oder den Ordner gibt es nicht.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR: return QStringLiteral("Das ist ein Ordner, keine Datei.");
    case ENAMETOOLONG: return QStringLiteral("Der Name ist zu lang.");
    case ELOOP: return QStringLiteral("Der Pfad enthält zu viele Verknüpfungen.");
    case EEXIST: return QStringLiteral("Eine Datei dieses Namens gibt es schon.");
    case EACCES:
    case EPERM: return QStringLiteral("Keine Berechtigung.");
    case EROFS: return QStringLiteral("Das Dateisystem ist nur lesbar.");
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("Der Speicherplatz, der Ihnen auf dem Datenträger zusteht (Quota), ist aufgebraucht.");
#endif
    case EFBIG: return QStringLiteral("Die Datei wird zu groß.");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler: der Datenträger oder das Gerät meldet einen Fehler.");
    case EXDEV: return QStringLiteral("Quelle und Ziel liegen auf verschiedenen Datenträgern.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Es sind zu viele Dateien geöffnet.");
    case ENOMEM: return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("Das Gerät oder die Datei ist gerade belegt.");
    case EAGAIN: return QStringLiteral("Das Gerät oder die Datei ist gerade gesperrt oder belegt.");
    case EINTR: return QStringLiteral("Der Vorgang wurde unterbrochen.");
    case ENODEV: return QStringLiteral("Das Gerät gibt es nicht, oder es unterstützt diesen Zugriff nicht.");
    case ENXIO: return QStringLiteral("Das Gerät ist nicht angeschlossen oder nicht bereit.");
    case ENOTTY: return QStringLiteral("Das ist keine serielle Schnittstelle.");
    case EINVAL: return QStringLiteral("Das System lehnt den Vorgang als ungültig ab.");
    case EBADF: return QStringLiteral("Die Verbindung zum Gerät oder zur Datei besteht nicht mehr.");
    case EPIPE: return QStringLiteral("Die Gegenstelle hat die Verbindung geschlossen.");
    case ETIMEDOUT: return QStringLiteral("Zeitüberschreitung.");
    case ENOSYS:
    case EOPNOTSUPP: return QStringLiteral("Das System oder das Gerät unterstützt das nicht.");
    default: return QStringLiteral("Das System meldet den Fehler Nr. %1.").arg(errnoValue);
    }
}

QString creationReason(int errnoValue)
{
    return errnoValue == ENOENT ? QStringLiteral("Den Ordner gibt es nicht.") : systemReason(errnoValue);
}

QString systemText(int errnoValue)
{
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}
