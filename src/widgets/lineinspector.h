// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Zeile untersuchen": one list line's time, byte count and every byte, as a hex dump
// (offset, 16 bytes, the printable column). Non-modal, so the technician can keep several
// open while lines arrive; it keeps its own copy of the bytes and closes itself away.
// Bytes selected in the dump are copied as text or hex; with nothing selected, the whole line.

#include "widgets/dumpview.h"

#include <QByteArray>
#include <QDialog>
#include <QString>

class QLabel;

class LineInspector : public QDialog {
    Q_OBJECT
public:
    LineInspector(const QByteArray &bytes, qint64 addedMSecsSinceEpoch, const QString &listName, int lineIndex,
                  QWidget *parent = nullptr);

    // One row of the dump per 16 bytes: "00000010  1B 5B 31 … 41  42 43 …  ␛[1…", the
    // printable column holding the bytes as the list's copy gives them (control bytes as their
    // pictures); the window shows each control byte there as the list paints it, in a box.
    static QString dump(const QByteArray &bytes);

    // The bytes selected in the dump (whole bytes under the selection, from its hex or its
    // printable part), or every byte when nothing is selected.
    QByteArray selectedBytes() const;
    void copyAsText() const;
    void copyAsHex() const;

    QPlainTextEdit *dumpView() const { return dump_; }
    QLabel *summary() const { return summary_; }

    // The lists were cleared: the line is gone from its list, and this window, which keeps its
    // own copy, says so in its title.
    void lineCleared();

    // What the line was shown from, as it came off the line (a recording's "<" line), and when
    // it was taken: shown below the line's own bytes.
    void showBurst(const QByteArray &bytes, qint64 takenMSecsSinceEpoch);
    QPlainTextEdit *burstView() const { return burstDump_; }
    QLabel *burstSummary() const { return burstSummary_; }

private:
    int byteAt(int position, bool end) const;

    QByteArray bytes_;
    DumpView *dump_;
    QLabel *summary_;
    QLabel *burstSummary_ = nullptr;
    QPlainTextEdit *burstDump_ = nullptr;
};
