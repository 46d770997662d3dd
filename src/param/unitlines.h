// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Many units talking at once on one terminal: each line goes out whole, with its unit's port
// in front, so that lines of different units never mix inside a line. The units take turns
// on one thread; a unit's text is put out a line at a time, never a piece of one.

#include "param/console.h"

#include <QString>
#include <QStringList>

// One descriptor's output shared by the units: a line at a time.
class SharedLines {
public:
    explicit SharedLines(TextOutput &target) : target_(target) {}
    // 0, or the target's error number once it has failed.
    int putLine(const QString &line);
    TextOutput &target() { return target_; }

private:
    TextOutput &target_;
};

// One unit's side of it: text is cut into lines, each sent with "PORT: " in front. Every
// line is also kept, for the unit's report. With no target the lines are only kept.
class UnitLines : public TextOutput {
public:
    UnitLines(SharedLines *shared, const QString &port);
    // The last line without its line end, if any text is left.
    void finish();
    const QStringList &lines() const { return lines_; }
    // Everything as it was written, without prefixes.
    QString text() const { return text_; }

protected:
    int put(const QByteArray &bytes) override;

private:
    int putLine(const QString &line);

    SharedLines *shared_;
    QString prefix_;
    QString pending_;
    QString text_;
    QStringList lines_;
};
