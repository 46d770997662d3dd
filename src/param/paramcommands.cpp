#include "param/paramcommands.h"

#include "param/parameterexchange.h"
#include "param/unitline.h"
#include "unit/errors.h"
#include "unit/openfailure.h"
#include "unit/parametermeaning.h"
#include "unit/parameterset.h"
#include "unit/serialchannel.h"
#include "unit/setfileio.h"

#include <QDateTime>

#include <algorithm>
#include <vector>

namespace {

// A failure that ends the command with exit code 2; the text is German and complete.
struct Failure {
    QString message;
};

constexpr int kParameterCount = 7;

QString name(int n)
{
    return QStringLiteral("F") + QString::number(n);
}

// F0 holds the unit's address, F6 its line mode: they change how the unit is reached.
bool isLineSetting(int n)
{
    return n == 0 || n == 6;
}

class Session {
public:
    Session(const ParamOptions &options, SerialChannel &channel, ParamConsole &console)
        : options_(options), channel_(channel), console_(console), address_(options.address)
    {
    }

    ~Session() { channel_.closeAll(); }

    void open()
    {
        try {
            channel_.open({options_.port, options_.baud});
        } catch (const RixError &error) {
            // The window's reasons, as its open-failure box gives them in its details.
            throw Failure{openFailureLine(options_.port, QString::fromStdString(error.what()))};
        }
        line_.emplace(channel_);
    }

    QChar address() const { return address_; }
    void setAddress(QChar address) { address_ = address; }

    // Fn's value; a parameter that gives none, also on its retry, ends the command.
    QString read(int n, QChar address)
    {
        const ParameterRead got = readParameter(*line_, address, n, options_.baud);
        if (!got.value) {
            if (got.shown.isEmpty())
                throw Failure{QStringLiteral("%1 antwortet nicht (auch nicht auf die Wiederholung von „%2“).")
                                  .arg(name(n), QString::fromLatin1(readCommand(address, n)))};
            throw Failure{QStringLiteral("%1 antwortet nicht mit vier Hexadezimalziffern, sondern mit %2.")
                              .arg(name(n), quoted(QString::fromLatin1(got.shown)))};
        }
        progress(name(n) + QStringLiteral(" … ") + *got.value);
        return *got.value;
    }
    QString read(int n) { return read(n, address_); }

    // Fn's value read back after a write; empty when the unit gives none.
    std::optional<QString> readBack(int n, QChar address)
    {
        const ParameterRead got = readParameter(*line_, address, n, options_.baud);
        progress(name(n) + QStringLiteral(" … ") + got.value.value_or(QStringLiteral("keine Antwort")));
        return got.value;
    }

    void write(int n, const QString &value)
    {
        progress(name(n) + QString::fromUtf8(" ← ") + value);
        line_->send(writeCommand(address_, n, value));
    }

    void progress(const QString &text)
    {
        if (!options_.quiet)
            console_.err << text << Qt::endl;
    }

    // The unit's values of the parameters `set` holds, in order.
    ParameterSet readPresent(const ParameterSet &set)
    {
        ParameterSet unit;
        for (int n = 0; n < kParameterCount; ++n)
            if (set.value[std::size_t(n)])
                unit.value[std::size_t(n)] = read(n);
        return unit;
    }

private:
    const ParamOptions &options_;
    SerialChannel &channel_;
    ParamConsole &console_;
    QChar address_;
    std::optional<UnitLine> line_;
};

// `writing`: the message says that nothing went to the unit.
ParameterSet loadOrFail(const QString &path, bool writing)
{
    auto loaded = loadSetFile(path);
    if (const auto *reason = std::get_if<QString>(&loaded))
        throw Failure{writing ? *reason + QStringLiteral(" Nichts geschrieben.") : *reason};
    ParameterSet set = std::get<ParameterSet>(std::move(loaded));
    // A file without a parameter line (a wrong file, an empty one) would compare "equal".
    if (std::none_of(set.value.begin(), set.value.end(), [](const auto &value) { return value.has_value(); }))
        throw Failure{QStringLiteral("%1: enthält keine Zeile Fn=XXXX.").arg(path)
                      + (writing ? QStringLiteral(" Nichts geschrieben.") : QString())};
    return set;
}

// "F3: 0E28 → 0E3C (Vorlaufzeit)" and, below it, each digit group that changes.
void printChange(QTextStream &out, int n, const QString &unitValue, const QString &fileValue)
{
    out << name(n) << ": " << unitValue << QString::fromUtf8(" → ") << fileValue << " (" << parameterTitle(n)
        << ")\n";
    const QStringList before = describeParameter(n, unitValue);
    const QStringList after = describeParameter(n, fileValue);
    for (int i = 0; i < std::max(before.size(), after.size()); ++i) {
        const QString was = before.value(i), will = after.value(i);
        if (was == will)
            continue;
        if (!was.isEmpty())
            out << QString::fromUtf8("    Gerät: ") << was << '\n';
        if (!will.isEmpty())
            out << "    Datei: " << will << '\n';
    }
}

// The parameters whose file value differs from the unit's, in order.
std::vector<int> differing(const ParameterSet &file, const ParameterSet &unit)
{
    std::vector<int> changed;
    for (int n = 0; n < kParameterCount; ++n) {
        const auto &wanted = file.value[std::size_t(n)];
        if (wanted && unit.value[std::size_t(n)] != wanted->toUpper())
            changed.push_back(n);
    }
    return changed;
}

int runRead(const ParamOptions &options, Session &session, ParamConsole &console, const QString &version)
{
    session.open();
    ParameterSet set;
    for (int n = 0; n < kParameterCount; ++n)
        set.value[std::size_t(n)] = session.read(n);
    const SetHeader header{options.port, options.baud, QString(options.address),
                           QDateTime::currentDateTime().toString(Qt::ISODate), version};
    const QString text = printParameterSet(set, header);
    if (options.outputFile.isEmpty()) {
        console.out << text;
        console.out.flush();
        if (console.out.status() != QTextStream::Ok)
            throw Failure{QStringLiteral("Die Standardausgabe nimmt den Parametersatz nicht vollständig an.")};
    } else {
        const QString failed = saveSetFile(options.outputFile, text);
        if (!failed.isEmpty())
            throw Failure{failed};
        session.progress(QStringLiteral("Parametersatz in %1 gespeichert.").arg(options.outputFile));
    }
    return ParamExit::Ok;
}

int runDiff(const ParamOptions &options, Session &session, ParamConsole &console)
{
    const ParameterSet file = loadOrFail(options.setFile, false);
    session.open();
    const ParameterSet unit = session.readPresent(file);
    const std::vector<int> changed = differing(file, unit);
    for (const int n : changed)
        printChange(console.out, n, *unit.value[std::size_t(n)], file.value[std::size_t(n)]->toUpper());
    console.out.flush();
    return changed.empty() ? ParamExit::Ok : ParamExit::Different;
}

int runWrite(const ParamOptions &options, Session &session, ParamConsole &console)
{
    const ParameterSet file = loadOrFail(options.setFile, true);
    session.open();
    const ParameterSet unit = session.readPresent(file);
    const auto wanted = [&file](int n) { return file.value[std::size_t(n)]->toUpper(); };

    std::vector<int> plain, lineSettings;
    for (const int n : differing(file, unit)) {
        printChange(console.out, n, *unit.value[std::size_t(n)], wanted(n));
        if (!isLineSetting(n))
            plain.push_back(n);
        else if (options.includeLineSettings)
            lineSettings.push_back(n);
        else
            console.out << "    " << name(n)
                        << QString::fromUtf8(" wird nur mit --include-line-settings geschrieben, hier übersprungen.\n");
    }
    const std::size_t count = plain.size() + lineSettings.size();
    if (count == 0) {
        console.out << "Nichts zu schreiben." << Qt::endl;
        return ParamExit::Ok;
    }
    if (options.dryRun) {
        console.out << "Probelauf: nichts geschrieben." << Qt::endl;
        return ParamExit::Ok;
    }
    console.out.flush();
    if (!options.yes) {
        if (!console.terminal)
            throw Failure{QStringLiteral("Ohne Terminal wird nur mit --yes geschrieben. Nichts geschrieben.")};
        if (!console.confirm(QStringLiteral("%1 Wert(e) in die Einheit schreiben? [j/N] ").arg(count)))
            throw Failure{QStringLiteral("Abgebrochen. Nichts geschrieben.")};
    }

    QStringList notTaken;
    const auto check = [&](int n, QChar address) {
        const std::optional<QString> back = session.readBack(n, address);
        if (back != wanted(n))
            notTaken << QStringLiteral("%1 (geschrieben %2, zurückgelesen %3)")
                            .arg(name(n), wanted(n), back.value_or(QStringLiteral("keine Antwort")));
        return back == wanted(n);
    };

    for (const int n : plain)
        session.write(n, wanted(n));
    for (const int n : plain)
        check(n, session.address());

    // The address and the line mode last: after them the unit may be reached differently.
    for (const int n : lineSettings) {
        session.write(n, wanted(n));
        if (n == 0) {
            const QChar newAddress = wanted(0).front();
            if (check(0, newAddress) && session.address() != QLatin1Char('S'))
                session.setAddress(newAddress);
        } else if (wanted(6).front() != unit.value[6]->front()) {
            console.out << QString::fromUtf8("F6: die 1. Stelle (Baudrate) ist jetzt %1, nicht zurückgelesen. "
                                             "Bitte mit der neuen Baudrate der Einheit neu verbinden und mit "
                                             "„rix-param read“ prüfen.\n")
                               .arg(wanted(6).front());
        } else {
            check(6, session.address());
        }
    }
    console.out.flush();
    if (!notTaken.isEmpty()) {
        console.err << QString::fromUtf8("rix-param: nicht übernommen: ") << notTaken.join(QStringLiteral(", "))
                    << Qt::endl;
        return ParamExit::NotTaken;
    }
    console.out << QString::fromUtf8("Geschrieben und zurückgelesen: ") << count << " Wert(e)." << Qt::endl;
    return ParamExit::Ok;
}

} // namespace

int runParamCommand(const ParamOptions &options, SerialChannel &channel, ParamConsole &console,
                    const QString &programVersion)
{
    try {
        Session session(options, channel, console);
        switch (options.command) {
        case ParamOptions::Command::Read: return runRead(options, session, console, programVersion);
        case ParamOptions::Command::Diff: return runDiff(options, session, console);
        case ParamOptions::Command::Write: return runWrite(options, session, console);
        case ParamOptions::Command::Help: break;
        }
        console.out << usageText();
        return ParamExit::Ok;
    } catch (const Failure &failure) {
        console.out.flush();
        console.err << "rix-param: " << failure.message << Qt::endl;
    } catch (const RixError &error) {
        console.out.flush();
        console.err << "rix-param: " << QString::fromStdString(error.what()) << Qt::endl;
    }
    return ParamExit::Error;
}
