#include "param/parameterexchange.h"

#include "param/shownanswer.h"
#include "param/unitline.h"
#include "unit/protocol.h"

#include <algorithm>

namespace {
constexpr int kAttempts = 2;   // the read and one retry

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
} // namespace

QByteArray readCommand(QChar address, int n)
{
    return Protocol::bytes(Protocol::readParameter(QString(address), n));
}

QByteArray writeCommand(QChar address, int n, const QString &value)
{
    return Protocol::bytes(Protocol::writeParameter(QString(address), n, value));
}

std::optional<QString> parameterValue(const QByteArray &shown)
{
    QByteArray text = shown;
    while (text.endsWith(' '))
        text.chop(1);
    if (text.size() != 4 || !std::all_of(text.begin(), text.end(), isHexDigit))
        return std::nullopt;
    return QString::fromLatin1(text).toUpper();
}

ParameterRead readParameter(UnitLine &line, QChar address, int n, const QString &baudText)
{
    const QByteArray command = readCommand(address, n);
    ParameterRead result;
    for (int attempt = 0; attempt < kAttempts && !result.value; ++attempt) {
        const QByteArray burst = line.ask(command);
        if (burst.isEmpty())
            continue;
        result.shown = shownAnswer(burst, command, baudText);
        result.value = parameterValue(result.shown);
    }
    return result;
}
