// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line inspector's hex dump. Its character column shows a control byte as the lists show
// it, its name in a box (lineviewpainter.*), not as its control picture, which at a small size
// is a faint smudge that looks alike for ESC, BEL, TAB, NUL and DEL. The box is one character
// of the text (an inline object), so a position in the dump is still one byte, and a copy of
// the text gives the byte's control picture, as the lists' copy does.

#include "widgets/lineviewpainter.h"

#include <QByteArray>
#include <QPlainTextEdit>
#include <QTextObjectInterface>

class DumpView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DumpView(QWidget *parent = nullptr);

    // Shows `dump` (hexDump's rows of `perRow` bytes, the bytes' text from `textColumn` on) of
    // `bytes`, each control byte of the text column as its box.
    void showDump(const QString &dump, const QByteArray &bytes, int perRow, int textColumn);

    // How many more character columns than the dump's text has the widest row takes.
    int extraColumns() const { return extraColumns_; }

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void changeEvent(QEvent *event) override;

private:
    int extraColumns_ = 0;
};

// Draws a control byte's box where the dump holds its object: as wide as the lists make it.
class ControlByteBox : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    // The text object type and the format property that holds the byte.
    static constexpr int objectType = QTextFormat::UserObject + 1;
    static constexpr int byteProperty = QTextFormat::UserProperty + 1;

    explicit ControlByteBox(QObject *parent = nullptr) : QObject(parent) {}
    void setFont(const QFont &font) { painter_.setFont(font); }

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override;
    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override;

private:
    LineRowPainter painter_;
};
