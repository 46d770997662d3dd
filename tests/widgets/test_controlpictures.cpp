// SPDX-License-Identifier: GPL-3.0-or-later
// A control byte reads as what it is in every place that shows one: a list paints its name in a
// box of its own, and the control pictures of the inspector's characters, the find bar's text
// and a copied line are drawn from a font that has them (never the empty box of a missing
// glyph), ESC and BEL looking different.
#include "widgets/findbar.h"
#include "widgets/lineinspector.h"
#include "widgets/lineview.h"
#include "widgets/lineviewformat.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <functional>

namespace {

// True when every glyph of `c` comes from a font that has it (glyph 0 is the missing-glyph box).
bool hasGlyph(const QFont &font, QChar c)
{
    QTextLayout layout(QString(c), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.isEmpty())
        return false;
    for (const QGlyphRun &run : runs)
        for (const quint32 glyph : run.glyphIndexes())
            if (glyph == 0)
                return false;
    return true;
}

QImage drawn(const QFont &font, QChar c)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(QLatin1Char('M')) * 2, metrics.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, metrics.ascent()), QString(c));
    return image;
}

struct Place {
    const char *name;
    std::function<QFont()> font;
    bool fixedPitch;
};

const Place places[] = {
    {"inspector", [] { return LineInspector(QByteArray("\x1b"), 0, QStringLiteral("Antworten"), 0).dumpView()->font(); },
     true},
    // The bar asks for the font when it first opens, not at start.
    {"findBar", [] {
         LineView upper, lower;
         FindBar bar(&upper, &lower);
         bar.open();
         return bar.textEdit()->font();
     }, false},
};

} // namespace

TEST(ControlPictures, EveryControlByteIsDrawnAndEscAndBelLookDifferent)
{
    const QChar esc(char16_t(0x241B)), bel(char16_t(0x2407));
    // Unassigned in Unicode: no font has it, so it shows what a missing glyph looks like.
    const QChar missing(char16_t(0x0378));
    for (const Place &place : places) {
        SCOPED_TRACE(place.name);
        const QFont font = place.font();
        for (char16_t u = 0x2400; u <= 0x2421; ++u) {
            if (u != 0x2420) {   // the picture of the blank, which no byte shows
                EXPECT_TRUE(hasGlyph(font, QChar(u))) << "U+" << std::hex << unsigned(u);
            }
        }
        EXPECT_TRUE(hasGlyph(font, QChar(char16_t(0xFFFD))));
        EXPECT_FALSE(hasGlyph(font, missing));
        const QImage escImage = drawn(font, esc);
        EXPECT_NE(escImage, drawn(font, bel));
        EXPECT_NE(escImage, drawn(font, missing));
        EXPECT_NE(escImage, drawn(font, QLatin1Char(' ')));
        // One cell, as every other character, where columns are counted: the inspector's
        // characters stand under each other, and a copied line's pictures keep the list's pitch.
        if (place.fixedPitch) {
            EXPECT_EQ(QFontMetrics(font).horizontalAdvance(esc), QFontMetrics(font).horizontalAdvance(QLatin1Char('M')));
        }
    }
}

TEST(ControlPictures, AListPaintsEachControlByteAsItsNameInABoxThreeColumnsWide)
{
    const struct {
        unsigned char byte;
        const char *name;
    } names[] = {{0x00, "NUL"}, {0x07, "BEL"}, {0x09, "HT"}, {0x0A, "LF"}, {0x0D, "CR"},
                 {0x11, "DC1"}, {0x1B, "ESC"}, {0x1F, "US"},  {0x7F, "DEL"}, {0x20, ""}, {0x81, ""}};
    for (const auto &row : names)
        EXPECT_STREQ(lineformat::controlName(row.byte), row.name) << int(row.byte);

    LineView view;
    view.resize(400, 100);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QByteArray alarm("\x1b[1mALARM\x07");
    view.addLine(alarm);
    const int cell = view.fontMetrics().horizontalAdvance(QLatin1Char('M'));
    // 3 + 8 + 3 columns: within the viewport; 200 ESC are 600 columns and the two margins.
    EXPECT_EQ(lineformat::columns(alarm.constData(), int(alarm.size())), 14);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    view.addLine(QByteArray(200, '\x1b'));
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 2 * 2 + 600 * cell - view.viewport()->width());

    view.clearFocus();
    const QImage image = view.viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect row = view.lineRect(0);
    // The ink of the columns from `column` on, `count` wide, as seen on the screen.
    const auto box = [&](int column, int count) {
        return image.copy(QRect(int((2 + column * cell) * ratio), int(row.top() * ratio), int(count * cell * ratio),
                                int(row.height() * ratio)));
    };
    const QImage esc = box(0, 3), bel = box(11, 3);
    const auto blank = [&](const QImage &like) {
        QImage empty(like.size(), like.format());
        empty.fill(view.palette().color(QPalette::Base));
        return empty;
    };
    EXPECT_NE(esc, blank(esc));
    EXPECT_NE(bel, blank(bel));
    EXPECT_NE(esc, bel);
    // "[" follows the box in the fourth column, and nothing follows BEL's box.
    EXPECT_NE(box(3, 1), blank(box(3, 1)));
    EXPECT_EQ(box(14, 3), blank(box(14, 3)));
}
