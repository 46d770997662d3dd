#pragma once
// A recording's file as a benchmark reads it while the program writes it: during the
// measurement only its lines are counted (cheaply, as the count runs on the GUI thread at every
// paint); afterwards its records' answers are read back whole.

#include <QByteArray>
#include <QObject>
#include <QString>

class LineView;

namespace bench {

struct RecordedFile {
    QString path;
    qint64 readTo = 0;
    int lines = 0;
    // Lines that are no records (the recording's first marker), noted before the measurement.
    int markers = 0;
    int records() const { return lines - markers; }
    // Counts the lines added since the last call.
    void countNew();
    // Every record's answer, joined in order.
    QByteArray answers() const;
};

// Counts the paints of a list's viewport that come before its lines' records are in the file.
class PaintWatch : public QObject {
public:
    PaintWatch(LineView *list, RecordedFile &file);
    ~PaintWatch() override;
    int ahead = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LineView *list_;
    RecordedFile &file_;
};

} // namespace bench
