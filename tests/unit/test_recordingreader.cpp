// SPDX-License-Identifier: GPL-3.0-or-later
// A recording read back for showing: its records and markers in order with their local times,
// each shown record with the "<" line it was shown from, in steps, and what is no recording.
#include "support/localzone.h"
#include "unit/files/recordingreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// What the reader handed on, one string per item.
struct Collected : RecordingReader::Lines {
    std::vector<std::string> items;
    std::vector<qint64> bursts;
    std::vector<qint64> times;
    void shown(const RecordingReader::Place &place, qint64 msecs, std::string_view commandLine,
               std::optional<std::string_view> answer) override
    {
        items.push_back("shown " + std::string(commandLine) + (answer ? " | " + std::string(*answer) : std::string()));
        bursts.push_back(place.burstBefore);
        places.push_back(place.at);
        times.push_back(msecs);
    }
    void marker(const RecordingReader::Place &place, qint64 msecs, const QString &text) override
    {
        items.push_back("marker " + text.toStdString());
        places.push_back(place.at);
        times.push_back(msecs);
    }
    bool wantsMore() const override { return items.size() < stopAfter; }
    std::size_t stopAfter = std::size_t(-1);
    std::vector<qint64> places;
};

class ReadingARecording : public ::testing::Test {
protected:
    QString write(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("mitschnitt.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }
    QTemporaryDir dir;
    const LocalZone berlin{"Europe/Berlin"};
};

// 2026-12-07 18:00:01.000 in Berlin (UTC+1).
constexpr qint64 connectedAt = 1796662801000;

const QByteArray session =
    "# 2026-12-07 18:00:01.000 Verbunden: (S) /dev/pts/3:4800,n,8,1\n"
    "> 2026-12-07 18:00:02.000\t$RSRF0\n"
    "< 2026-12-07 18:00:02.040\t$RSRF0SRF0F011\\r\\n\n"
    "2026-12-07 18:00:02.061\t$RSRF0\tF011\n"
    "< 2026-12-07 18:00:05.000\t\\x1B[1mALARM\\x07\\r\\n\n"
    "2026-12-07 18:00:05.021\t\t\\x1B[1mALARM\\x07\n"
    "2026-12-07 18:00:05.021\t$RSRF0\n"
    "# 2026-12-07 18:00:14.000 Verbindung unterbrochen (Fehler 1002): weg\n";

} // namespace

TEST_F(ReadingARecording, RecordsAndMarkersInOrderEachWithItsLocalTimeAndItsBurst)
{
    const QString path = write(session);
    RecordingReader reader(path);
    ASSERT_TRUE(reader.open()) << reader.errorText().toStdString();
    Collected lines;
    EXPECT_FALSE(reader.readFor(1000, lines)) << "all read";
    EXPECT_EQ(lines.items, (std::vector<std::string>{"marker Verbunden: (S) /dev/pts/3:4800,n,8,1", "shown $RSRF0 | F011",
                                                     "shown  | \x1b[1mALARM\x07", "shown $RSRF0",
                                                     "marker Verbindung unterbrochen (Fehler 1002): weg"}));
    EXPECT_EQ(lines.times, (std::vector<qint64>{connectedAt, connectedAt + 1061, connectedAt + 4021, connectedAt + 4021,
                                                connectedAt + 13000}));
    EXPECT_EQ(reader.linesRead(), 8);
    EXPECT_EQ(reader.linesSkipped(), 0);
    EXPECT_EQ(reader.position(), reader.size());

    // Both records after the alarm were shown from it; the first from the answer with its echo.
    ASSERT_EQ(lines.bursts.size(), 3u);
    EXPECT_EQ(lines.bursts[1], lines.bursts[2]);
    const auto answer = RecordingReader::burstAt(path, lines.bursts[0]);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->bytes, "$RSRF0SRF0F011\r\n");
    EXPECT_EQ(answer->msecsSinceEpoch, connectedAt + 1040);
    const auto alarm = RecordingReader::burstAt(path, lines.bursts[1]);
    ASSERT_TRUE(alarm.has_value());
    EXPECT_EQ(alarm->bytes, "\x1b[1mALARM\x07\r\n");
    EXPECT_FALSE(RecordingReader::burstAt(path, 0).has_value()) << "a marker is no burst";
    EXPECT_FALSE(RecordingReader::burstAt(path, -1).has_value());

    // Read on from a noted place: the same lines from there, each with its burst, and no
    // further than wanted.
    RecordingReader again(path);
    ASSERT_TRUE(again.open());
    again.startAt({lines.places[2], lines.bursts[1]});
    Collected on;
    on.stopAfter = 2;
    EXPECT_TRUE(again.readFor(1000, on)) << "stopped before the end";
    EXPECT_EQ(on.items, (std::vector<std::string>{"shown  | \x1b[1mALARM\x07", "shown $RSRF0"}));
    EXPECT_EQ(on.bursts, (std::vector<qint64>{lines.bursts[1], lines.bursts[1]}));
}

TEST_F(ReadingARecording, AnEarlierVersionsRecordingHasNoBurstsAndSummerTimeIsLocalToo)
{
    const QString path = write("# 2026-07-01 12:00:00.005 Mitschnitt begonnen\n"
                               "2026-07-01 12:00:00.105\t\t\\x1B[0m\\x07\n"
                               "2026-07-01 12:00:01.105\t$RSV\tSVx\n");
    RecordingReader reader(path);
    ASSERT_TRUE(reader.open());
    Collected lines;
    reader.readFor(1000, lines);
    EXPECT_EQ(lines.items, (std::vector<std::string>{"marker Mitschnitt begonnen", "shown  | \x1b[0m\x07", "shown $RSV | SVx"}));
    EXPECT_EQ(lines.bursts, (std::vector<qint64>{-1, -1}));
    // 2026-07-01 10:00:00.005 UTC.
    EXPECT_EQ(lines.times.front(), 1782900000005);
}

TEST_F(ReadingARecording, WhatIsNoLineOfARecordingIsCountedTheFirstNamedAndTheRestShown)
{
    const QString path = write("# 2026-12-07 18:00:01.000 Verbunden: (S) COM1:19200,n,8,1\r\n"
                               "2026-12-07 18:00:02.000\t$RSV\tSVx\r\n"
                               "\n"
                               "Liebe Werkstatt,\n"
                               "2026-13-07 18:00:02.000\t$RSV\tSVx\n"
                               "2026-12-07 18:00:03.000\t$RSV\tSV\\q\n"
                               "2026-12-07 18:00:04.000\t$RSV\tSVy");
    RecordingReader reader(path);
    ASSERT_TRUE(reader.open());
    Collected lines;
    reader.readFor(1000, lines);
    EXPECT_EQ(lines.items, (std::vector<std::string>{"marker Verbunden: (S) COM1:19200,n,8,1", "shown $RSV | SVx",
                                                     "shown $RSV | SVy"}))
        << "an editor's CR LF and a last line without its line end read";
    EXPECT_EQ(reader.linesSkipped(), 3);
    EXPECT_EQ(reader.firstSkippedLine(), 4) << "counted from 1, the empty line too";
    EXPECT_EQ(reader.linesRead(), 3);
}

TEST_F(ReadingARecording, ALargeFileIsReadInStepsThatEachGiveTheWindowBack)
{
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "2026-12-07 18:00:02.000\t$RSV\tSV" + QByteArray::number(i) + "\n";
    const QString path = write(text);
    RecordingReader reader(path);
    ASSERT_TRUE(reader.open());
    Collected lines;
    int steps = 0;
    while (reader.readFor(0, lines)) {
        ++steps;
        EXPECT_LT(reader.position(), reader.size());
    }
    EXPECT_GE(steps, 5000 / 256 - 1) << "a step with no time left still reads a few hundred lines";
    ASSERT_EQ(lines.items.size(), 5000u);
    EXPECT_EQ(lines.items.back(), "shown $RSV | SV4999");
}

TEST_F(ReadingARecording, WhatCannotBeReadSaysWhyInGermanAndNothingWaitsOnAFifo)
{
    RecordingReader missing(dir.filePath(QStringLiteral("fehlt.txt")));
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.errorText().isEmpty());
    EXPECT_FALSE(missing.errorText().contains(QStringLiteral("No such"))) << missing.errorText().toStdString();

    RecordingReader folder(dir.path());
    EXPECT_FALSE(folder.open());
    EXPECT_EQ(folder.errorText(), QStringLiteral("Das ist keine gewöhnliche Datei."));

    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    RecordingReader pipe(fifo);
    EXPECT_FALSE(pipe.open());

    RecordingReader empty(write(""));
    ASSERT_TRUE(empty.open());
    Collected lines;
    EXPECT_FALSE(empty.readFor(10, lines));
    EXPECT_TRUE(lines.items.empty());
}

TEST(RecordingClock, TheRecordingsLocalTimeIsTheMomentItWasWrittenAt)
{
    const LocalZone berlin("Europe/Berlin");
    RecordingReader::LocalClock clock;
    EXPECT_EQ(clock.msecsSinceEpoch("2026-12-07 18:13:51.123"), 1796663631123);
    EXPECT_EQ(clock.msecsSinceEpoch("2026-12-07 18:13:51.130"), 1796663631130) << "the same second, kept";
    EXPECT_EQ(clock.msecsSinceEpoch("2026-12-07 23:59:59.999"), 1796684399999);
    EXPECT_EQ(clock.msecsSinceEpoch("2026-07-01 12:00:00.005"), 1782900000005);
    EXPECT_EQ(clock.msecsSinceEpoch("1969-12-31 23:59:59.500"), -3600500) << "before 1970, one hour ahead of UTC";
    EXPECT_FALSE(clock.msecsSinceEpoch("2026-12-07T18:13:51.123").has_value());
    EXPECT_FALSE(clock.msecsSinceEpoch("2026-12-07 18:13:51").has_value());
}
