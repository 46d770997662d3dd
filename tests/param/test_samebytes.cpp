// rix-param promises the window's bytes: each read of F0–F6 is what the parameter button
// sends, each write what the window's prepared write sends, at both rates and for a unit's
// own digit as for S. The window is driven as a user drives it; rix-param runs its read and
// write commands against a unit that answers every read.

#include "param/paramcommands.h"
#include "support/harness.h"
#include "unit/serialchannel.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A unit on a channel: answers each read with its stored value (after the command itself
// at 4800, as the unit does), takes writes, records every command.
class AnsweringUnit : public SerialChannel {
public:
    void open(const PortSettings &settings) override
    {
        echo_ = settings.baudText == QLatin1String("4800");
        open_ = true;
    }
    void write(const QByteArray &bytes) override
    {
        written.push_back(bytes);
        if (bytes.size() < 6)
            return;
        const int n = bytes.at(5) - '0';
        if (bytes.mid(3, 2) == "PF" && bytes.size() == 10)
            values[n] = bytes.mid(6);
        if (bytes.mid(3, 2) != "RF")
            return;
        incoming_ += (echo_ ? bytes : QByteArray()) + bytes.mid(2) + values[n] + "\r\n";
        QTimer::singleShot(0, [this] { if (arrived_) arrived_(); });
    }
    QByteArray takeAvailable() override { return std::exchange(incoming_, QByteArray()); }
    void onBytesArrived(std::function<void()> handler) override { arrived_ = std::move(handler); }
    std::optional<std::uint32_t> modemStatus() override { return std::nullopt; }
    void close() override { open_ = false; }
    void closeAll() override { open_ = false; }
    bool isOpen() const override { return open_; }

    std::vector<QByteArray> written;
    QByteArray values[7] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};

private:
    bool echo_ = false;
    bool open_ = false;
    QByteArray incoming_;
    std::function<void()> arrived_;
};

std::vector<QByteArray> rixParam(const QStringList &arguments, const QString &baud, QChar digit)
{
    ParsedCommandLine parsed = parseCommandLine(arguments);
    parsed.options.baud = baud;
    parsed.options.address = digit;
    AnsweringUnit unit;
    if (digit != QLatin1Char('S'))
        unit.values[0] = QByteArray(1, char(digit.toLatin1())) + "011";   // the unit's own digit
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    ParamConsole console{outStream, errStream, false, {}};
    EXPECT_EQ(runParamCommand(parsed.options, unit, console, QStringLiteral("test")), 0) << err.toStdString();
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
    for (const QString baud : {QStringLiteral("19200"), QStringLiteral("4800")}) {
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
