// SPDX-License-Identifier: GPL-3.0-or-later
// The find bar over the window's two lists, and the line inspector.
#include "unit/hexdump.h"
#include "widgets/findbar.h"
#include "widgets/lineinspector.h"
#include "widgets/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Window {
    Window()
    {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    FindBar &bar() { return *w.findBar(); }
    void open() { QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier); }
    void type(const QString &text) { QTest::keyClicks(bar().textEdit(), text); }
    void enter(Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(bar().textEdit(), Qt::Key_Return, m); }
    // The status once the search has settled.
    QString status(const QString &expected)
    {
        static_cast<void>(QTest::qWaitFor([&] { return bar().status()->text() == expected; }, 5000));
        return bar().status()->text();
    }
    MainWindow w;
};

TEST(FindBar, CtrlFOpensItEnterAndShiftEnterWalkTheHitsAndWrapWithANotice)
{
    Window t;
    for (int i = 0; i < 9; ++i)
        t.w.lbrx()->addLine(i % 3 == 1 ? QByteArray("FMS 1234\r") : QByteArray("SRF0F011"));
    t.w.lbrx()->setCurrentLine(0);
    t.w.lbrx()->setFocus();
    t.open();
    ASSERT_TRUE(t.bar().isVisible());
    EXPECT_TRUE(t.bar().textEdit()->hasFocus());
    EXPECT_EQ(t.bar().scopeBox()->currentText(), QStringLiteral("beide Listen"));
    t.type(QStringLiteral("fms"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 3")), QStringLiteral("Treffer 1 von 3"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 1);
    EXPECT_TRUE(t.w.lbrx()->isSelected(1));
    t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 2 von 3")), QStringLiteral("Treffer 2 von 3"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 4);
    QTest::keyClick(&t.w, Qt::Key_F3);
    t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 3 – vom Anfang")), QStringLiteral("Treffer 1 von 3 – vom Anfang"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 1);
    t.enter(Qt::ShiftModifier);
    EXPECT_EQ(t.status(QStringLiteral("Treffer 3 von 3 – vom Ende")), QStringLiteral("Treffer 3 von 3 – vom Ende"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 7);
    QTest::keyClick(&t.w, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(t.status(QStringLiteral("Treffer 2 von 3")), QStringLiteral("Treffer 2 von 3"));

    t.bar().exactCaseBox()->setChecked(true);
    EXPECT_EQ(t.status(QStringLiteral("Kein Treffer")), QStringLiteral("Kein Treffer"));
    t.bar().hexBox()->setChecked(true);
    // A new text looks from where the user is on: the line of the last hit, that line included.
    t.bar().textEdit()->setText(QStringLiteral("33 34"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 2 von 3")), QStringLiteral("Treffer 2 von 3"));
    t.bar().textEdit()->setText(QStringLiteral("34 0"));
    EXPECT_TRUE(t.bar().status()->text().startsWith(QStringLiteral("Hex:")));

    QTest::keyClick(t.bar().textEdit(), Qt::Key_Escape);
    EXPECT_FALSE(t.bar().isVisible());
    EXPECT_TRUE(t.w.lbrx()->hasFocus());
}

TEST(FindBar, TheOnlyHitOnTheFirstLineIsFoundAgainPastEitherEndWithTheWrapSaid)
{
    Window t;
    t.w.lbrx()->addLine("FMS 1234");
    for (int i = 0; i < 3; ++i)
        t.w.lbrx()->addLine("SRF0F011");
    t.open();
    t.type(QStringLiteral("FMS"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1")), QStringLiteral("Treffer 1 von 1"));
    t.w.lbrx()->setCurrentLine(3);
    t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1 – vom Anfang")), QStringLiteral("Treffer 1 von 1 – vom Anfang"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 0);
    t.enter(Qt::ShiftModifier);
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1 – vom Ende")), QStringLiteral("Treffer 1 von 1 – vom Ende"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 0);
}

TEST(FindBar, SaysWhatItCannotFindWholeAndLiesOverNoControl)
{
    Window t;
    t.w.lbrx()->addLine("OK");
    t.open();
    const QRect bar = t.bar().geometry();
    EXPECT_EQ(bar, QRect(146, 316, 740, 34));
    for (QWidget *control : t.w.layoutArea()->findChildren<QWidget *>()) {
        if (control->isVisible()) {
            EXPECT_FALSE(QRect(control->mapTo(&t.w, QPoint(0, 0)), control->size()).intersects(bar))
                << control->objectName().toStdString();
        }
    }
    t.bar().hexBox()->setChecked(true);
    for (const auto &[typed, said] : {std::pair{"0D 0A", "Findet nichts: CR und LF stehen höchstens am Zeilenanfang."},
                                      std::pair{"1B 5", "Hex: je Byte zwei Ziffern 0–F, z. B. 1B 5B"}}) {
        t.bar().textEdit()->setText(QString::fromUtf8(typed));
        const QLabel *status = t.bar().status();
        EXPECT_EQ(status->text(), QString::fromUtf8(said));
        // Every line of it shown, on one line or wrapped onto a second, and clear of the
        // close button.
        const QRect room = status->contentsRect();
        const QRect needed = status->fontMetrics().boundingRect(QRect(0, 0, room.width(), 1000),
                                                                status->wordWrap() ? Qt::TextWordWrap : 0, status->text());
        EXPECT_LE(needed.width(), room.width()) << typed;
        EXPECT_LE(needed.height(), room.height()) << typed;
        const QWidget *close = t.bar().findChild<QWidget *>(QStringLiteral("findClose"));
        ASSERT_NE(close, nullptr);
        EXPECT_LT(status->geometry().right(), close->geometry().left()) << typed;
    }
}

TEST(FindBar, ClearedListsResetTheHitAndTheInspectorOfAClearedLineSaysSo)
{
    Window t;
    for (int i = 0; i < 3000; ++i)
        t.w.lbrx()->addLine(i % 1000 == 999 ? QByteArray("FMS 1234") : QByteArray("SRF0F011"));
    t.open();
    t.type(QStringLiteral("FMS"));
    t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 2 von 3")), QStringLiteral("Treffer 2 von 3"));
    emit t.w.lbrx()->lineInspectionAsked(1999);
    LineInspector *inspector = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<LineInspector *>(top); found && found->isVisible())
            inspector = found;
    ASSERT_NE(inspector, nullptr);

    t.w.lb2()->clear();
    t.w.lbrx()->clear();
    EXPECT_EQ(t.status(QStringLiteral("Kein Treffer")), QStringLiteral("Kein Treffer"));
    EXPECT_EQ(inspector->windowTitle(), QStringLiteral("Zeile untersuchen – Antworten, Zeile 2.000 (Liste geleert)"));
    EXPECT_EQ(hexBytes(inspector->selectedBytes()), QStringLiteral("46 4D 53 20 31 32 33 34"));
    // Lines that come after are searched from their own start.
    t.w.lbrx()->addLine("SRF0F011");
    t.w.lbrx()->addLine("FMS 5678");
    t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1")), QStringLiteral("Treffer 1 von 1"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 1);
    inspector->close();
}

TEST(FindBar, BothListsAreWalkedUpperFirstAndOneListAlone)
{
    Window t;
    for (int i = 0; i < 4; ++i) {
        t.w.lb2()->addLine("$RSRF3");
        t.w.lbrx()->addLine(i == 2 ? QByteArray("SRF30E28") : QByteArray("SRF0F011"));
    }
    t.open();
    t.type(QStringLiteral("RF3"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 5")), QStringLiteral("Treffer 1 von 5"));
    for (int i = 0; i < 4; ++i)
        t.enter();
    EXPECT_EQ(t.status(QStringLiteral("Treffer 5 von 5")), QStringLiteral("Treffer 5 von 5"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 2);
    t.bar().scopeBox()->setCurrentText(QStringLiteral("Antworten"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1")), QStringLiteral("Treffer 1 von 1"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 2);
    t.bar().scopeBox()->setCurrentText(QStringLiteral("Befehle"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 4")), QStringLiteral("Treffer 1 von 4"));
    EXPECT_EQ(t.w.lb2()->currentLine(), 0);
    // „Suchen …“ in a list's menu searches that list, from its current line on.
    emit t.w.lbrx()->findAsked();
    EXPECT_EQ(t.bar().scopeBox()->currentText(), QStringLiteral("Antworten"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 1")), QStringLiteral("Treffer 1 von 1"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 2);
}

TEST(FindBar, CountsThousandsWithGermanGroupingAndSkipsLongStretchesWithoutHits)
{
    Window t;
    for (int i = 0; i < 20'000; ++i)
        t.w.lbrx()->addLine(i % 5 == 0 && i < 17'040 ? QByteArray("FMS ") + QByteArray::number(i) : QByteArray("SRF0F011"));
    t.w.lbrx()->addLine("FMS am Ende");
    t.open();
    t.type(QStringLiteral("FMS"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 3.409")), QStringLiteral("Treffer 1 von 3.409"));
    t.enter(Qt::ShiftModifier);
    t.enter(Qt::ShiftModifier);
    EXPECT_EQ(t.status(QStringLiteral("Treffer 3.408 von 3.409")), QStringLiteral("Treffer 3.408 von 3.409"));
    EXPECT_EQ(t.w.lbrx()->currentLine(), 17'035);
    t.enter();
    EXPECT_EQ(t.w.lbrx()->currentLine(), 20'000);
}

TEST(FindBar, LinesArrivingDuringASearchKeepArrivingAndAreSearchedToo)
{
    Window t;
    // Twenty lines short of a whole number of the search's blocks, so the arrivals complete one.
    constexpr int before = 195 * 1024 - 20;
    for (int i = 0; i < before; ++i)
        t.w.lb2()->addLine(i % 100 == 0 ? QByteArray("$RSRF3") : QByteArray("$RSV"));
    int arrived = 0;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        if (arrived < 50)
            t.w.lb2()->addLine(arrived++ % 2 == 0 ? QByteArray("$RSRF3") : QByteArray("$RSQ"));
    });
    feed.start(1);
    t.open();
    t.type(QStringLiteral("RF3"));
    EXPECT_EQ(t.status(QStringLiteral("Treffer 1 von 2.022")), QStringLiteral("Treffer 1 von 2.022"));
    EXPECT_EQ(arrived, 50);
    t.enter(Qt::ShiftModifier);
    EXPECT_EQ(t.status(QStringLiteral("Treffer 2.022 von 2.022 – vom Ende")),
              QStringLiteral("Treffer 2.022 von 2.022 – vom Ende"));
    EXPECT_EQ(t.w.lb2()->currentLine(), before + 48);
}

QByteArray everyByte(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xFF);
    return bytes;
}

TEST(LineInspector, ShowsEveryByteOfA64KiBPieceWithItsTimeAndCount)
{
    const QByteArray bytes = everyByte(65'536);
    const qint64 at = QDateTime(QDate(2026, 12, 8), QTime(3, 4, 5, 678)).toMSecsSinceEpoch();
    LineInspector inspector(bytes, at, QStringLiteral("Antworten"), 41);
    EXPECT_EQ(inspector.windowTitle(), QStringLiteral("Zeile untersuchen – Antworten, Zeile 42"));
    EXPECT_EQ(inspector.summary()->text(), QStringLiteral("Empfangen 08.12.2026 03:04:05.678 · 65.536 Bytes"));

    const QStringList rows = inspector.dumpView()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(rows.size(), 4096);
    QByteArray shown;
    for (int r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].left(8), QStringLiteral("%1").arg(r * 16, 8, 16, QLatin1Char('0')).toUpper());
        shown += QByteArray::fromHex(rows[r].mid(10, 49).toLatin1());
    }
    EXPECT_EQ(shown, bytes);
}

TEST(LineInspector, PrintableColumnShowsWindows1252AndControlBytesAsTheListDoes)
{
    const QByteArray line("\x1b[1m\xC4\xE4\x80\r\n\x9D\x7F" "0123456789ABCDEF", 27);
    EXPECT_EQ(LineInspector::dump(line),
              QStringLiteral("00000000  1B 5B 31 6D C4 E4 80 0D  0A 9D 7F 30 31 32 33 34  ␛[1mÄä€␍␊\uFFFD␡01234\n"
                             "00000010  35 36 37 38 39 41 42 43  44 45 46")
                  + QString(17, QLatin1Char(' ')) + QStringLiteral("56789ABCDEF"));
    LineInspector inspector(line, 0, QStringLiteral("Antworten"), 0);
    inspector.copyAsHex();
    EXPECT_EQ(QGuiApplication::clipboard()->text().left(14), QStringLiteral("1B 5B 31 6D C4"));
    // From the middle of "5B" to the end of "6D": the three bytes, also as the list shows them.
    QTextCursor cursor(inspector.dumpView()->document());
    cursor.setPosition(14);
    cursor.setPosition(21, QTextCursor::KeepAnchor);
    inspector.dumpView()->setTextCursor(cursor);
    inspector.copyAsHex();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("5B 31 6D"));
    cursor.setPosition(60 + 6);
    cursor.setPosition(60 + 11, QTextCursor::KeepAnchor);
    inspector.dumpView()->setTextCursor(cursor);
    inspector.copyAsText();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("€\u240D\u240A\uFFFD\u2421"));
}

// The dump as shown, at `ratio`: the viewport painted into an image.
QImage shownDump(LineInspector &inspector, qreal ratio)
{
    QWidget *view = inspector.dumpView()->viewport();
    QImage image(view->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    view->render(&image);
    return image;
}

// How many pixels of `image` within `area` (in the image's own pixels) are dark: text and lines.
int darkPixels(const QImage &image, const QRect &area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

TEST(LineInspector, ControlBytesInTheCharacterColumnAreTheirNamesInBoxesAsInTheListsAtEveryScale)
{
    // ESC, BEL, TAB, NUL and DEL between letters.
    const QByteArray line("A\x1b" "B\x07" "C\x09" "D\x00" "E\x7f", 10);
    LineInspector inspector(line, 0, QStringLiteral("Antworten"), 0);
    inspector.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&inspector));
    QPlainTextEdit *dump = inspector.dumpView();
    // Still one character per byte: a position in the dump is a byte.
    const int textColumn = 10 + 16 * 3 + 1 + 1;
    ASSERT_EQ(dump->toPlainText().size(), LineInspector::dump(line).size());
    const QFontMetrics metrics(dump->font());
    const int cell = metrics.horizontalAdvance(QLatin1Char('M'));
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image = shownDump(inspector, ratio);
        std::vector<QImage> boxes;
        for (int i = 1; i < line.size(); i += 2) {
            QTextCursor at(dump->document());
            at.setPosition(textColumn + i);
            const QRect left = dump->cursorRect(at);
            at.setPosition(textColumn + i + 1);
            const QRect right = dump->cursorRect(at);
            // Three columns wide, as a list draws a control byte, and the row no higher.
            EXPECT_EQ(right.left() - left.left(), 3 * cell) << i;
            EXPECT_EQ(right.top(), left.top());
            const QRect box = QRectF(QPointF(left.topLeft()) * ratio, QSizeF(3 * cell, metrics.height()) * ratio).toRect();
            // Its frame and its name: far more than a glyph's faint smudge.
            EXPECT_GT(darkPixels(image, box), box.width() + box.height()) << i;
            boxes.push_back(image.copy(box));
        }
        for (std::size_t a = 0; a < boxes.size(); ++a)
            for (std::size_t b = a + 1; b < boxes.size(); ++b)
                EXPECT_NE(boxes[a], boxes[b]) << a << " and " << b;
    }
    // Copied from the dump, a box is its control picture, as the list's copy gives it.
    QTextCursor selection(dump->document());
    selection.setPosition(textColumn);
    selection.setPosition(textColumn + 5, QTextCursor::KeepAnchor);
    dump->setTextCursor(selection);
    dump->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("A\u241BB\u2407C"));
}

TEST(LineInspector, ADoubleClickOnALineOpensItAndTheListKeepsItsToolTip)
{
    Window t;
    t.w.lbrx()->addLine("SRF0F011");
    t.w.lbrx()->addLine(QByteArray("\x1b[0m FMS\r", 9));
    const QString tip = t.w.lbrx()->lineToolTip(1);
    QTest::mouseDClick(t.w.lbrx()->viewport(), Qt::LeftButton, {}, t.w.lbrx()->lineRect(1).center());
    LineInspector *inspector = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<LineInspector *>(top); found && found->isVisible())
            inspector = found;
    ASSERT_NE(inspector, nullptr);
    EXPECT_TRUE(inspector->dumpView()->toPlainText().startsWith(QStringLiteral("00000000  1B 5B 30 6D 20 46 4D 53  0D")));
    EXPECT_TRUE(inspector->summary()->text().endsWith(QStringLiteral(" · 9 Bytes")));
    EXPECT_EQ(t.w.lbrx()->lineToolTip(1), tip);
    EXPECT_EQ(t.w.lbrx()->lineBytes(1).size(), 9);
    inspector->close();
}

} // namespace
