// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recordedfile.h"

#include "support/filelines.h"
#include "unit/files/recordformat.h"
#include "widgets/lineview.h"

#include <QEvent>
#include <QFile>

#include <algorithm>
#include <cctype>

#include <sys/stat.h>

namespace bench {

QByteArray RecordedFile::answers() const
{
    QByteArray joined;
    for (const QByteArray &line : contentOf(path).split('\n'))
        if (const auto record = recordformat::readRecord(line); record && record->kind == recordformat::Record::Kind::Shown)
            joined += record->answer;
    return joined;
}

QByteArray RecordedFile::received() const
{
    QByteArray joined;
    for (const QByteArray &line : contentOf(path).split('\n'))
        if (const auto record = recordformat::readRecord(line); record && record->kind == recordformat::Record::Kind::Received)
            joined += record->bytes;
    return joined;
}

std::vector<qint64> RecordedFile::recordEnds() const
{
    const QByteArray content = contentOf(path);
    std::vector<qint64> ends;
    qsizetype start = 0;
    for (qsizetype end = content.indexOf('\n'); end >= 0; end = content.indexOf('\n', start)) {
        // A shown record starts with its date; markers and the line's bytes with their mark.
        if (std::isdigit(static_cast<unsigned char>(content.at(start))))
            ends.push_back(end + 1);
        start = end + 1;
    }
    return ends;
}

PaintWatch::PaintWatch(LineView *list, const RecordedFile &file)
    : list_(list)
    , file_(file)
{
    list->viewport()->installEventFilter(this);
}

PaintWatch::~PaintWatch()
{
    list_->viewport()->removeEventFilter(this);
}

bool PaintWatch::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        struct stat status {};
        const QByteArray name = QFile::encodeName(file_.path);
        paints_.push_back({::stat(name.constData(), &status) == 0 ? qint64(status.st_size) : 0, list_->count()});
    }
    return false;
}

int PaintWatch::ahead() const
{
    const std::vector<qint64> ends = file_.recordEnds();
    int ahead = 0;
    for (const Paint &paint : paints_) {
        const auto whole = std::upper_bound(ends.begin(), ends.end(), paint.fileSize) - ends.begin();
        if (whole < paint.lines)
            ++ahead;
    }
    return ahead;
}

} // namespace bench
