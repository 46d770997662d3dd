// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Suggestions for the port box: while the user types, the serial ports the system knows are
// offered under the name that opens them, with what the system says about each one, and the
// box's tool tip lists them. The box's own entries and its current entry are left alone:
// only a suggestion the user picks changes the box, and only its text.

#include "unit/line/systemports.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QPoint>
#include <functional>
#include <optional>

class QComboBox;
class QCompleter;
class QStandardItemModel;

// Reads the system's serial ports anew on every call.
using PortSource = std::function<QList<FoundPort>()>;

// "/dev/ttyUSB0 – USB-Serial Controller (Prolific)": the name, then whatever the system
// knows about the port; the bare name when it knows nothing.
QString portEntryText(const FoundPort &port);

// The port box's tool tip: its own hint, then the ports found or that there are none.
QString portBoxToolTip(const QString &hint, const QList<FoundPort> &ports);

class PortSuggestions : public QObject {
    Q_OBJECT
public:
    // The completer's model keeps the name to open in this role; its display role holds the
    // entry text, so the popup describes a port while the box receives only its name.
    static constexpr int nameRole = Qt::UserRole + 1;

    // Attaches to the editable combo box `box`, which owns it. The list is read when the box
    // gets the focus, when its tool tip is asked for, and when the user types into it and the
    // last reading is older than `maxAgeMs`, so a freshly plugged adapter shows up without the
    // system being asked at every key.
    PortSuggestions(QComboBox *box, PortSource source, int maxAgeMs = 1000);

    QCompleter *completer() const { return completer_; }

    // Asks for the ports anew unless a reading is under way. The system takes tens of
    // milliseconds to answer (it walks every tty device), too long to hold the window, so
    // the source runs on a worker thread; suggestions and tool tip follow its answer. The
    // source must outlive a reading: a box destroyed meanwhile drops the answer, but the
    // worker runs on to the end of its reading.
    void refresh();
    bool isReading() const { return reading_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void take(QList<FoundPort> ports);

    QComboBox *box_;
    PortSource source_;
    int maxAgeMs_;
    QString hint_;
    QStandardItemModel *model_;
    QCompleter *completer_;
    QList<FoundPort> shown_;
    QElapsedTimer lastRead_;
    bool reading_ = false;
    bool typedSinceAsked_ = false;
    // Where a tool tip was asked for while the answer was still out.
    std::optional<QPoint> tipAt_;
};
