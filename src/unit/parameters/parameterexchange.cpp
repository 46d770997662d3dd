// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/parameters/parameterexchange.h"

#include "unit/protocol/protocol.h"

namespace {
constexpr int attempts = 2;   // the read and one retry
} // namespace

QByteArray readCommand(QChar address, int n)
{
    return protocol::bytes(protocol::readParameter(QString(address), n));
}

QByteArray writeCommand(QChar address, int n, const QString &value)
{
    return protocol::bytes(protocol::writeParameter(QString(address), n, value));
}

UnitLine::Heard readParameter(UnitLine &line, QChar address, int n)
{
    const QByteArray command = readCommand(address, n);
    UnitLine::Heard heard;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        UnitLine::Heard again = line.ask(command, address, n);
        // The message names what came, from either attempt.
        if (again.before.isEmpty())
            again.before = heard.before;
        again.anything = again.anything || heard.anything;
        again.contradicted = again.contradicted || heard.contradicted;
        heard = std::move(again);
        if (heard.answer)
            break;
    }
    return heard;
}
