// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recording ("Mitschnitt") read back for showing it as the window showed it, in steps: each
// step reads lines for as long as it is given, so a window that reads a file of 100 MB keeps
// answering between steps. Lines are read through the one reader of the format (recordline.h).
//
// What it hands on: each shown record (the command list's line, the answer list's line if it
// got one) with the place of the "<" line it was shown from, the last one before it, and each
// marker, each with its own place in the file. The bytes the line carried (">" and "<") are not
// kept: whoever shows the lines notes where some of them are (a Place), reads on from there
// when a line's burst is asked for (startAt), and reads the burst back (burstAt), so the memory
// held is the lists' own.
// Recordings of earlier versions, with shown records and markers only, read the same.
//
// A line that is none of a recording's is counted and skipped; the first one is named.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <ctime>
#include <optional>
#include <string_view>

#include "unit/files/recordline.h"

class RecordingReader {
public:
    // Where what is read goes.
    // A place in the file to read on from: a line's offset, and that of the "<" line before
    // it (-1: none), which for a shown record is the burst it was shown from.
    struct Place {
        qint64 at = 0;
        qint64 burstBefore = -1;
    };

    class Lines {
    public:
        virtual ~Lines() = default;
        // A shown record, stamped in local time as the lists stamp their lines.
        virtual void shown(const Place &place, qint64 msecsSinceEpoch, std::string_view commandLine,
                           std::optional<std::string_view> answer) = 0;
        virtual void marker(const Place &place, qint64 msecsSinceEpoch, const QString &text) = 0;
        // Reading stops after a line when this says so.
        virtual bool wantsMore() const { return true; }
    };

    explicit RecordingReader(const QString &path);

    // Opens the file. False, with errorText(), when it cannot be read.
    bool open();
    // Reads on for about `budgetMs`, or to the file's end, or until `lines` wants no more; true
    // while there is more to read. The file is let go at its end.
    bool readFor(int budgetMs, Lines &lines);
    // Reads on from `place` instead of the file's start (after open()).
    void startAt(const Place &place);

    qint64 size() const { return size_; }
    qint64 position() const { return position_; }
    bool atEnd() const { return position_ >= size_; }
    // Lines read as a recording's, and those skipped; the number (from 1) of the first skipped.
    qint64 linesRead() const { return linesRead_; }
    qint64 linesSkipped() const { return linesSkipped_; }
    qint64 firstSkippedLine() const { return firstSkipped_; }
    QString errorText() const { return error_; }

    // The "<" line at `offset` of a recording, read back: when its bytes were taken and the
    // bytes. Empty when no such line is there (the file changed or is gone).
    struct Burst {
        qint64 msecsSinceEpoch = 0;
        QByteArray bytes;
    };
    static std::optional<Burst> burstAt(const QString &path, qint64 offset);

    // A recording's time ("yyyy-MM-dd HH:mm:ss.zzz", local time where it was written) as a
    // moment; converts with the time zone once per second of the times it is given.
    class LocalClock {
    public:
        std::optional<qint64> msecsSinceEpoch(std::string_view time);

    private:
        std::int64_t second_ = 0;   // the clock's second last converted
        std::time_t epochSecond_ = 0;
        bool kept_ = false;
    };

private:
    // False when `lines` wants no more.
    bool readLine(std::string_view text, qint64 offset, Lines &lines);

    QFile file_;
    const uchar *data_ = nullptr;
    qint64 size_ = 0;
    qint64 position_ = 0;
    qint64 lineNumber_ = 0;
    qint64 linesRead_ = 0;
    qint64 linesSkipped_ = 0;
    qint64 firstSkipped_ = 0;
    qint64 lastBurst_ = -1;
    recordline::Line line_;
    LocalClock clock_;
    QString error_;
};
