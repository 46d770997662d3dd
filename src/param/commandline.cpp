#include "param/commandline.h"

namespace {
// The address box's list: 0 … 9, A … F and S for "any unit".
bool isAddressDigit(const QString &text)
{
    static const QString digits = QStringLiteral("0123456789ABCDEFS");
    return text.size() == 1 && digits.contains(text.front());
}
} // namespace

QString usageText()
{
    return QStringLiteral(
        "Aufruf: rix-param read  [--port P] [--baud 19200|4800] [--address D] [-o DATEI] [--quiet]\n"
        "        rix-param diff  DATEI [--port P] [--baud …] [--address D] [--quiet]\n"
        "        rix-param write DATEI [--dry-run] [--yes] [--include-line-settings]\n"
        "                        [--port P] [--baud …] [--address D] [--quiet]\n"
        "Liest, vergleicht und schreibt die Parameter F0–F6 einer RIX-Einheit.\n"
        "\n"
        "  read                   liest F0–F6 und schreibt die Parameterdatei\n"
        "                         auf die Standardausgabe oder in DATEI (-o)\n"
        "  diff DATEI             zeigt, welche Werte der Datei die Einheit anders hat\n"
        "  write DATEI            schreibt die abweichenden Werte und liest sie zurück\n"
        "\n"
        "  --port P               Schnittstelle (Vorgabe COM1; COM1–COM10 sind /dev/ttyS0–9,\n"
        "                         ein Name mit / ist ein Pfad, sonst /dev/P)\n"
        "  --baud R               19200 (Vorgabe) oder 4800 (die Einheit sendet den Befehl zurück)\n"
        "  --address D            Adresse der Einheit: 0–9, A–F oder S (Vorgabe, jede Einheit)\n"
        "  -o DATEI               read: in DATEI statt auf die Standardausgabe\n"
        "  --dry-run              write: nur zeigen, was sich ändern würde\n"
        "  --yes                  write: ohne Rückfrage schreiben\n"
        "  --include-line-settings  write: auch F0 (Adresse) und F6 (Baudrate, Quittung), zuletzt\n"
        "  --quiet                keine Fortschrittszeilen auf der Standardfehlerausgabe\n"
        "  --help                 diesen Text zeigen\n"
        "\n"
        "Rückgabewert: 0 gleich bzw. erfolgreich, 1 diff: Unterschiede, 2 Fehler,\n"
        "3 write: ein geschriebener Wert ließ sich nicht zurücklesen.\n");
}

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    ParsedCommandLine parsed;
    ParamOptions &o = parsed.options;
    const auto fail = [&parsed](const QString &message) {
        parsed.error = message;
        return parsed;
    };
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        o.command = ParamOptions::Command::Help;
        return parsed;
    }
    if (arguments.isEmpty())
        return fail(QStringLiteral("Kein Befehl angegeben (read, diff oder write)."));

    const QString command = arguments.front();
    if (command == QLatin1String("read"))
        o.command = ParamOptions::Command::Read;
    else if (command == QLatin1String("diff"))
        o.command = ParamOptions::Command::Diff;
    else if (command == QLatin1String("write"))
        o.command = ParamOptions::Command::Write;
    else
        return fail(QStringLiteral("Unbekannter Befehl „%1“ (read, diff oder write).").arg(command));

    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        QString word = arguments.at(i);
        QString value;
        bool inlineValue = false;
        if (word.startsWith(QLatin1String("--")) && word.contains(QLatin1Char('='))) {
            value = word.mid(word.indexOf(QLatin1Char('=')) + 1);
            word = word.left(word.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        const auto takeValue = [&](QString &target) {
            if (!inlineValue) {
                if (i + 1 >= arguments.size())
                    return false;
                value = arguments.at(++i);
            }
            target = value;
            return !target.isEmpty();
        };
        const auto flagFor = [&](ParamOptions::Command only, bool &target) {
            if (inlineValue || o.command != only)
                return false;
            target = true;
            return true;
        };
        bool ok = true;
        QString text;
        if (word == QLatin1String("--port")) {
            ok = takeValue(o.port);
        } else if (word == QLatin1String("--baud")) {
            ok = takeValue(o.baud) && (o.baud == QLatin1String("19200") || o.baud == QLatin1String("4800"));
        } else if (word == QLatin1String("--address")) {
            ok = takeValue(text) && isAddressDigit(text.toUpper());
            if (ok)
                o.address = text.toUpper().front();
        } else if (word == QLatin1String("-o") || word == QLatin1String("--output")) {
            ok = o.command == ParamOptions::Command::Read && takeValue(o.outputFile);
        } else if (word == QLatin1String("--quiet")) {
            ok = !inlineValue;
            o.quiet = true;
        } else if (word == QLatin1String("--dry-run")) {
            ok = flagFor(ParamOptions::Command::Write, o.dryRun);
        } else if (word == QLatin1String("--yes")) {
            ok = flagFor(ParamOptions::Command::Write, o.yes);
        } else if (word == QLatin1String("--include-line-settings")) {
            ok = flagFor(ParamOptions::Command::Write, o.includeLineSettings);
        } else if (word.startsWith(QLatin1Char('-')) && word.size() > 1) {
            return fail(QStringLiteral("Unbekannte Option „%1“ für %2.").arg(arguments.at(i), command));
        } else {
            files.append(word);
            continue;
        }
        if (!ok)
            return fail(QStringLiteral("Ungültige Angabe bei %1 für %2.").arg(word, command));
    }

    if (o.command == ParamOptions::Command::Read) {
        if (!files.isEmpty())
            return fail(QStringLiteral("read nimmt keine Datei an; für eine Datei: -o DATEI."));
    } else {
        if (files.size() != 1)
            return fail(QStringLiteral("%1 braucht genau eine Parameterdatei.").arg(command));
        o.setFile = files.front();
    }
    return parsed;
}
