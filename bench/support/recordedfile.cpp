#include "support/recordedfile.h"

#include "unit/recordformat.h"
#include "widgets/lineview.h"

#include <QEvent>
#include <QFile>

namespace bench {

void RecordedFile::countNew()
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(readTo))
        return;
    const QByteArray more = file.readAll();
    readTo += more.size();
    lines += int(more.count('\n'));
}

QByteArray RecordedFile::answers() const
{
    QFile file(path);
    QByteArray joined;
    if (!file.open(QIODevice::ReadOnly))
        return joined;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (const auto record = recordformat::readRecord(line))
            joined += record->answer;
    return joined;
}

PaintWatch::PaintWatch(LineView *list, RecordedFile &file)
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
        file_.countNew();
        if (file_.records() < list_->count())
            ++ahead;
    }
    return false;
}

} // namespace bench
