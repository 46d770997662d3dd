// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/files/recordingreader.h"

#include "unit/systemreason.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How many lines are read between two looks at the clock: a few microseconds' worth.
constexpr int linesBetweenLooks = 256;
} // namespace

RecordingReader::RecordingReader(const QString &path) : file_(path) {}

bool RecordingReader::open()
{
    // Without waiting: a FIFO or a device given for a file must not hold the window.
    const int fd = ::open(QFile::encodeName(file_.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = systemReason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error_ = QStringLiteral("Das ist keine gewöhnliche Datei.");
        return false;
    }
    if (!file_.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error_ = systemReason(EIO);
        return false;
    }
    size_ = file_.size();
    // Mapped, not read into memory: the pages are the system's cache, let go at the end.
    if (size_ > 0) {
        data_ = file_.map(0, size_);
        if (!data_) {
            error_ = systemReason(ENOMEM);
            file_.close();
            return false;
        }
    }
    return true;
}

bool RecordingReader::readFor(int budgetMs, Lines &lines)
{
    QElapsedTimer clock;
    clock.start();
    const std::string_view text(reinterpret_cast<const char *>(data_), std::size_t(size_));
    bool more = true;
    while (position_ < size_ && more) {
        for (int i = 0; i < linesBetweenLooks && position_ < size_ && more; ++i) {
            const qint64 offset = position_;
            std::size_t at = std::size_t(position_);
            const std::string_view line = recordline::takeLine(text, at);
            position_ = qint64(at);
            more = readLine(line, offset, lines);
        }
        if (clock.elapsed() >= budgetMs)
            break;
    }
    if (position_ < size_)
        return true;
    if (data_)
        file_.unmap(const_cast<uchar *>(data_));
    data_ = nullptr;
    file_.close();
    return false;
}

void RecordingReader::startAt(const Place &place)
{
    position_ = std::clamp<qint64>(place.at, 0, size_);
    lastBurst_ = place.burstBefore;
}

bool RecordingReader::readLine(std::string_view text, qint64 offset, Lines &lines)
{
    ++lineNumber_;
    if (text.empty())
        return true;
    const bool read = recordline::read(text, line_);
    const std::optional<qint64> time = read ? clock_.msecsSinceEpoch(line_.time) : std::nullopt;
    if (!time) {
        if (linesSkipped_++ == 0)
            firstSkipped_ = lineNumber_;
        return true;
    }
    ++linesRead_;
    switch (line_.kind) {
    case recordline::Kind::Shown:
        lines.shown({offset, lastBurst_}, *time, line_.commandLine,
                    line_.answerLine ? std::optional<std::string_view>(line_.answer) : std::nullopt);
        return lines.wantsMore();
    case recordline::Kind::Received: lastBurst_ = offset; return true;
    case recordline::Kind::Sent: return true;
    case recordline::Kind::Marker:
        lines.marker({offset, lastBurst_}, *time, QString::fromUtf8(line_.text.data(), qsizetype(line_.text.size())));
        return lines.wantsMore();
    }
    return true;
}

std::optional<RecordingReader::Burst> RecordingReader::burstAt(const QString &path, qint64 offset)
{
    QFile file(path);
    if (offset < 0 || !file.open(QIODevice::ReadOnly) || !file.seek(offset))
        return std::nullopt;
    // A "<" line holds at most two pieces of 64 KiB, each byte at most four characters.
    const QByteArray text = file.readLine(qint64(1) << 21);
    std::size_t at = 0;
    const std::string_view line = recordline::takeLine(std::string_view(text.constData(), std::size_t(text.size())), at);
    recordline::Line read;
    if (!recordline::read(line, read) || read.kind != recordline::Kind::Received)
        return std::nullopt;
    LocalClock clock;
    const std::optional<qint64> time = clock.msecsSinceEpoch(read.time);
    if (!time)
        return std::nullopt;
    return Burst{*time, QByteArray(read.bytes.data(), qsizetype(read.bytes.size()))};
}

std::optional<qint64> RecordingReader::LocalClock::msecsSinceEpoch(std::string_view time)
{
    const std::optional<std::int64_t> clockMs = recordline::clockMs(time);
    if (!clockMs)
        return std::nullopt;
    // Floor division: a time before 1970 keeps its right second.
    std::int64_t second = *clockMs / 1000;
    std::int64_t millis = *clockMs % 1000;
    if (millis < 0) {
        millis += 1000;
        --second;
    }
    if (!kept_ || second != second_) {
        std::int64_t days = second / 86400;
        std::int64_t inDay = second % 86400;
        if (inDay < 0) {
            inDay += 86400;
            --days;
        }
        // The date back from the days (the inverse of the reader's count), for mktime.
        const std::int64_t z = days + 719468;
        const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const std::int64_t dayOfEra = z - era * 146097;
        const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
        const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
        const std::int64_t mp = (5 * dayOfYear + 2) / 153;
        std::tm local{};
        local.tm_mday = int(dayOfYear - (153 * mp + 2) / 5 + 1);
        local.tm_mon = int(mp < 10 ? mp + 2 : mp - 10);
        local.tm_year = int(yearOfEra + era * 400 + (local.tm_mon <= 1 ? 1 : 0)) - 1900;
        local.tm_hour = int(inDay / 3600);
        local.tm_min = int(inDay / 60 % 60);
        local.tm_sec = int(inDay % 60);
        // Summer or winter time as the zone says for that moment.
        local.tm_isdst = -1;
        errno = 0;
        const std::time_t epoch = std::mktime(&local);
        if (epoch == std::time_t(-1) && errno != 0)
            return std::nullopt;
        second_ = second;
        epochSecond_ = epoch;
        kept_ = true;
    }
    return qint64(epochSecond_) * 1000 + millis;
}
