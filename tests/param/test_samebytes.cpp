// SPDX-License-Identifier: GPL-3.0-or-later
// rix-param promises the window's bytes: each read of F0–F6 is what the parameter button
// sends, each write what the window's prepared write sends, at both rates and for a unit's
// own digit as for S. The window is driven as a user drives it; rix-param runs its read and
// write commands against a unit that answers every read.

#include "answeringunit.h"
#include "support/harness.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<QByteArray> rixParam(QStringList arguments, const QString &baud, QChar digit)
{
    arguments << QStringLiteral("--baud") << baud << QStringLiteral("--address") << QString(digit);
    AnsweringUnit unit;
    if (digit != QLatin1Char('S'))
        unit.values[0] = QByteArray(1, char(digit.toLatin1())) + "011";   // the unit's own digit
    const ParamRun run = runRixParam(arguments, unit);
    EXPECT_EQ(run.end.exitCode, 0) << run.err.toStdString();
    return unit.written;
}

} // namespace

TEST(SameBytes, RixParamReadsAndWritesWithTheWindowsBytes)
{
    QTemporaryDir dir;
    const QString setFile = dir.filePath(QStringLiteral("set.txt"));
    {
        QFile file(setFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("F3=0E3C\n");
    }
    for (const QString &baud : {QStringLiteral("19200"), QStringLiteral("4800")}) {
        for (const QChar digit : {QLatin1Char('S'), QLatin1Char('A')}) {
            SCOPED_TRACE((baud + QLatin1Char(' ') + digit).toStdString());
            Harness h;
            h.connectWith(QStringLiteral("COM1"), baud, QString(digit));
            std::vector<QByteArray> window;
            for (QPushButton *button : {h.w.cmdF0(), h.w.cmdF1(), h.w.cmdF2(), h.w.cmdF3(), h.w.cmdF4(),
                                        h.w.cmdF5(), h.w.cmdF6()}) {
                h.click(button);
                window.push_back(h.channel.writes.back());
            }
            EXPECT_EQ(rixParam({QStringLiteral("read")}, baud, digit), window);

            // A write as the window prepares it: the button's read, "Schreiben", the value typed, "Senden".
            h.click(h.w.cmdF3());
            h.click(h.w.cmdschreiben());
            QTest::keyClicks(h.w.ed1(), QStringLiteral("0E3C"));
            h.click(h.w.cmdSendentx());
            const std::vector<QByteArray> windowWrites{h.channel.writes.back()};
            std::vector<QByteArray> paramWrites;
            for (const QByteArray &bytes : rixParam({QStringLiteral("write"), setFile, QStringLiteral("--yes")}, baud, digit))
                if (bytes.mid(3, 2) == "PF")
                    paramWrites.push_back(bytes);
            EXPECT_EQ(paramWrites, windowWrites);
        }
    }
}
