// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/replaydriver.h"

#include "support/liveprogram.h"
#include "support/waiting.h"
#include "unit/cp1252.h"
#include "unit/files/recordformat.h"
#include "unit/files/recordline.h"
#include "unit/protocol/protocol.h"

#include <QFile>
#include <QRegularExpression>

#include <optional>

namespace replaydriver {

namespace {

std::vector<recordformat::Record> recordsOf(const QString &path)
{
    std::vector<recordformat::Record> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (auto record = recordformat::readRecord(line))
            records.push_back(*std::move(record));
    return records;
}

qint64 msOf(const QByteArray &time)
{
    return recordline::clockMs(std::string_view(time.constData(), std::size_t(time.size()))).value_or(0);
}

// The press that writes `bytes` at the unit's address `a`.
Press pressFor(const QByteArray &bytes, const QString &a)
{
    const auto is = [&bytes](const QString &command) { return bytes == protocol::bytes(command); };
    for (int n = 0; n <= 6; ++n)
        if (is(protocol::readParameter(a, n)))
            return {Press::Kind::Click, 0, QStringLiteral("cmdF%1").arg(n), {}};
    if (is(protocol::version(a)))
        return {Press::Kind::Click, 0, QStringLiteral("cmdVersion"), {}};
    if (is(protocol::fiveToneTestCall(a)))
        return {Press::Kind::Click, 0, QStringLiteral("cmd5Ton"), {}};
    if (is(protocol::fmsTestTelegram(a)))
        return {Press::Kind::Click, 0, QStringLiteral("cmdFMS"), {}};
    if (is(protocol::disconnect()))
        return {Press::Kind::Click, 0, QStringLiteral("cmdAUS"), {}};
    for (int key = 1; key <= 2; ++key)
        if (is(protocol::keyPress(a, key)))
            return {Press::Kind::KeyDown, 0, QStringLiteral("cmdTR%1").arg(key), {}};
    if (is(protocol::keyRelease(a)))
        return {Press::Kind::KeyUp, 0, QString(), {}};
    return {Press::Kind::Typed, 0, QStringLiteral("cmdSendentx"), cp1252::decode(bytes)};
}

} // namespace

Session sessionOf(const QString &recordingPath)
{
    Session session;
    std::optional<qint64> connectedAt;
    QString heldKey;
    // "Verbunden: (S) /dev/pts/3:4800,n,8,1"
    static const QRegularExpression connect(QStringLiteral("^Verbunden: \\((.)\\) .*:(\\d+),n,8,1$"));
    for (const recordformat::Record &record : recordsOf(recordingPath)) {
        if (record.kind == recordformat::Record::Kind::Marker && !connectedAt) {
            const QRegularExpressionMatch match = connect.match(record.text);
            if (match.hasMatch()) {
                session.address = match.captured(1);
                session.baud = match.captured(2);
                connectedAt = msOf(record.time);
            }
            continue;
        }
        if (record.kind != recordformat::Record::Kind::Sent || !connectedAt)
            continue;
        Press press = pressFor(record.bytes, session.address);
        press.atMs = msOf(record.time) - *connectedAt;
        if (press.kind == Press::Kind::KeyDown)
            heldKey = press.control;
        if (press.kind == Press::Kind::KeyUp)
            press.control = heldKey;
        session.presses.push_back(press);
    }
    return session;
}

std::vector<QByteArray> shownRecordsOf(const QString &recordingPath)
{
    std::vector<QByteArray> shown;
    for (const recordformat::Record &record : recordsOf(recordingPath))
        if (record.kind == recordformat::Record::Kind::Shown)
            shown.push_back(record.answerLine ? record.commandLine + '\t' + record.answer : record.commandLine);
    return shown;
}

void play(LiveProgram &program, const Session &session, std::chrono::steady_clock::time_point connectedAt)
{
    using namespace std::chrono;
    MainWindow &w = program.w;
    for (const Press &press : session.presses) {
        const auto due = connectedAt + milliseconds(press.atMs);
        if (due > steady_clock::now())
            testsupport::runEventsFor(duration_cast<milliseconds>(due - steady_clock::now()));
        QWidget *control = press.control.isEmpty() ? nullptr : w.findChild<QWidget *>(press.control);
        switch (press.kind) {
        case Press::Kind::Click:
            if (control)
                program.click(control);
            break;
        case Press::Kind::KeyDown:
            if (control)
                program.press(control);
            break;
        case Press::Kind::KeyUp:
            if (control)
                program.release(control);
            break;
        case Press::Kind::Typed:
            program.typeCommandLine(press.text);
            program.click(control);
            break;
        }
    }
}

} // namespace replaydriver
