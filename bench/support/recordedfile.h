// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recording's file as a benchmark checks it while the program writes it. During the
// measurement each paint of a list only notes the file's size and the list's line count (one
// stat(2): the note runs on the GUI thread); afterwards the file is read once, and each paint
// is judged by whether the file, at the size it had then, held a whole record for every line
// the list showed.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <vector>

class LineView;

namespace bench {

struct RecordedFile {
    QString path;
    // Every record's answer, joined in order.
    QByteArray answers() const;
    // Every byte the file says was taken from the line ("<" lines), joined in order.
    QByteArray received() const;
    int records() const { return int(recordEnds().size()); }
    // Where each record ends: the offset just after its "\n", in order.
    std::vector<qint64> recordEnds() const;
};

// Notes the paints of a list's viewport; ahead() counts those that came before their lines'
// records were in the file.
class PaintWatch : public QObject {
public:
    PaintWatch(LineView *list, const RecordedFile &file);
    ~PaintWatch() override;
    int ahead() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Paint {
        qint64 fileSize;
        int lines;
    };
    LineView *list_;
    const RecordedFile &file_;
    std::vector<Paint> paints_;
};

} // namespace bench
