// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a list's row looks: its bytes in a fixed-pitch font, a control byte as its name in a thin
// box controlCells columns wide, and the frame that shows the list has the keyboard focus. It
// keeps the metrics of the list's font, so a row is cut to the visible columns by counting
// them instead of measuring text.

#include <QFont>

class QColor;
class QPainter;
class QRectF;

class LineRowPainter {
public:
    // The list's font changed. Its row height and column width are measured when first asked
    // for: measuring loads the font, a few milliseconds of the start-up, and an empty list has
    // no row to measure. The largest size of a control byte's name that fits its box is found
    // when the first such box is painted: each size tried is a font the system must match, and
    // most sessions never show a control byte.
    void setFont(const QFont &font);
    int rowHeight() const { return measured().rowHeight; }
    int charWidth() const { return measured().charWidth; }
    // The baseline's distance from a row's top.
    int ascent() const { return measured().ascent; }

    // Paints the bytes of one row from the column `firstColumn` on, starting at `x`, as far as
    // `right`; the painter's pen and font are the row's.
    void paintRow(QPainter &painter, const char *bytes, int length, int firstColumn, int x, int top,
                  int right) const;
    // A control byte's name in its box, controlCells columns wide from `x`, on the row at `top`;
    // also the line inspector's, so that both show a control byte alike.
    void paintControl(QPainter &painter, unsigned char byte, int x, int top) const;
    // The focus frame inside `area`, in whole device pixels.
    static void paintFocusFrame(QPainter &painter, const QRectF &area, qreal devicePixelRatio, const QColor &color);

private:
    struct Metrics {
        int rowHeight = 1;
        int charWidth = 1;
        int ascent = 0;
    };
    const Metrics &measured() const;
    const QFont &controlFont() const;

    QFont font_;
    mutable Metrics metrics_;
    mutable bool measured_ = false;
    // The small font of a control byte's name, fitted on first use.
    mutable QFont controlFont_;
    mutable bool controlFontFitted_ = false;
};
