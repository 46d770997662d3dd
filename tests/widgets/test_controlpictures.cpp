// SPDX-License-Identifier: GPL-3.0-or-later
// A control byte reads as what it is in every place that shows one: each control picture is
// drawn from a font that has it (never the empty box of a missing glyph), and ESC and BEL look
// different, in the lists, the inspector's characters and the find bar's text.
#include "widgets/findbar.h"
#include "widgets/lineinspector.h"
#include "widgets/lineview.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
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
    {"list", [] { return LineView().font(); }, true},
    {"inspector", [] { return LineInspector(QByteArray("\x1b"), 0, QStringLiteral("Antworten"), 0).dumpView()->font(); },
     true},
    {"findBar", [] {
         LineView upper, lower;
         return FindBar(&upper, &lower).textEdit()->font();
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
        for (char16_t u = 0x2400; u <= 0x2421; ++u)
            if (u != 0x2420)   // the picture of the blank, which no byte shows
                EXPECT_TRUE(hasGlyph(font, QChar(u))) << "U+" << std::hex << unsigned(u);
        EXPECT_TRUE(hasGlyph(font, QChar(char16_t(0xFFFD))));
        EXPECT_FALSE(hasGlyph(font, missing));
        const QImage escImage = drawn(font, esc);
        EXPECT_NE(escImage, drawn(font, bel));
        EXPECT_NE(escImage, drawn(font, missing));
        EXPECT_NE(escImage, drawn(font, QLatin1Char(' ')));
        // One cell, as every other byte, where the columns are counted: a long line is cut by
        // counting bytes, and the inspector's characters stand under each other.
        if (place.fixedPitch)
            EXPECT_EQ(QFontMetrics(font).horizontalAdvance(esc), QFontMetrics(font).horizontalAdvance(QLatin1Char('M')));
    }
}
