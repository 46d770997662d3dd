// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineviewpainter.h"

#include "widgets/lineviewformat.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QRectF>

#include <algorithm>

namespace {
// The focus frame's width in device pixels: wide enough to see, and narrower than the list's
// text margin, so it never covers text.
constexpr int focusFrameWidth = 2;
} // namespace

void LineRowPainter::setFont(const QFont &font)
{
    font_ = font;
    measured_ = false;
    controlFontFitted_ = false;
}

const LineRowPainter::Metrics &LineRowPainter::measured() const
{
    if (!measured_) {
        const QFontMetrics metrics(font_);
        metrics_.rowHeight = std::max(1, metrics.height());
        metrics_.charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
        metrics_.ascent = metrics.ascent();
        measured_ = true;
    }
    return metrics_;
}

const QFont &LineRowPainter::controlFont() const
{
    if (controlFontFitted_)
        return controlFont_;
    // The largest size at which every name fits its box with a pixel of room on either side.
    controlFont_ = font_;
    const int room = lineformat::controlCells * charWidth() - 6;
    for (int pixels = std::max(6, ascent()); pixels >= 6; --pixels) {
        controlFont_.setPixelSize(pixels);
        const QFontMetrics small(controlFont_);
        int widest = 0;
        for (int byte = 0; byte < 0x80; ++byte)
            if (lineformat::isControl(static_cast<unsigned char>(byte)))
                widest = std::max(widest, small.horizontalAdvance(QString::fromLatin1(lineformat::controlName(static_cast<unsigned char>(byte)))));
        if (widest <= room)
            break;
    }
    controlFontFitted_ = true;
    return controlFont_;
}

void LineRowPainter::paintRow(QPainter &painter, const char *bytes, int length, int firstColumn, int x, int top,
                              int right) const
{
    const Metrics &m = measured();
    const auto *data = reinterpret_cast<const unsigned char *>(bytes);
    // The first byte whose columns reach into view; a box cut by the left edge is drawn whole.
    int i = 0;
    qint64 column = 0;
    while (i < length) {
        const int cells = lineformat::isControl(data[i]) ? lineformat::controlCells : 1;
        if (column + cells > firstColumn)
            break;
        column += cells;
        ++i;
    }
    qint64 at = x + (column - firstColumn) * qint64(m.charWidth);
    while (i < length && at < right) {
        if (lineformat::isControl(data[i])) {
            paintControl(painter, data[i], int(at), top);
            at += lineformat::controlCells * m.charWidth;
            ++i;
            continue;
        }
        // A run of plain bytes in one call, cut at the right edge.
        const int fits = int(std::min<qint64>(length - i, (right - at) / m.charWidth + 1));
        int end = i;
        while (end < i + fits && !lineformat::isControl(data[end]))
            ++end;
        painter.drawText(QPoint(int(at), top + m.ascent), lineformat::shownText(bytes + i, end - i));
        at += qint64(end - i) * m.charWidth;
        i = end;
    }
}

void LineRowPainter::paintControl(QPainter &painter, unsigned char byte, int x, int top) const
{
    // The name in a thin frame, in the row's own colour, so a selected row shows it as well.
    const Metrics &m = measured();
    const QRectF box(x + 1.5, top + 1.5, lineformat::controlCells * m.charWidth - 3, m.rowHeight - 3);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(box, 2, 2);
    painter.setFont(controlFont());
    painter.drawText(QRectF(box.left(), top, box.width(), m.rowHeight), Qt::AlignHCenter | Qt::AlignVCenter,
                     QString::fromLatin1(lineformat::controlName(byte)));
    painter.restore();
}

void LineRowPainter::paintFocusFrame(QPainter &painter, const QRectF &area, qreal devicePixelRatio,
                                     const QColor &color)
{
    // Many styles (Fusion among them) draw the current row's focus rectangle only after the
    // focus came by the keyboard, and the list's frame not at all: without this frame a list
    // that got the focus by a click, or holds no current line, would not show it. Whole device
    // pixels, so no edge is lost at a fractional scale.
    const qreal px = 1.0 / devicePixelRatio;
    const qreal inset = focusFrameWidth * px / 2;
    QPen pen(color, focusFrameWidth * px);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(inset, inset, -inset, -inset));
}
