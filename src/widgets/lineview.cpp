// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineview.h"

#include "widgets/lineviewfile.h"
#include "widgets/lineviewformat.h"

#include <QAccessible>
#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <limits>

namespace {
// Room left and right of the text, so the first character does not touch the focus frame.
constexpr int textMargin = 2;
} // namespace

LineView::LineView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // A fixed pitch lets a long line be cut to the visible columns by counting them (a byte is
    // one column, a control byte's box controlCells) instead of measuring text. A list shows a
    // control byte by its name, never its picture, so the font needs no family for those.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rows_.setFont(font());
    createActions();

    verticalScrollBar()->setSingleStep(1);
    updatePageStep();
    updateVerticalRange();
    updateHorizontalRange();
}

LineView::~LineView() = default;

void LineView::addLine(const QByteArray &bytes)
{
    addLine(bytes, QDateTime::currentMSecsSinceEpoch());
}

void LineView::addLine(const QByteArray &bytes, qint64 addedMSecsSinceEpoch)
{
    const int index = count();
    const int longestBefore = lines_.longest();
    lines_.append(bytes, addedMSecsSinceEpoch);
    if (index == 0)
        updateScrollSteps();
    else if (lines_.longest() != longestBefore)
        updateHorizontalRange();
    updateVerticalRange();

    // A line below the visible rows only changes the scroll bar, which repaints itself.
    if (index <= verticalScrollBar()->value() + fullyVisibleRows())
        viewport()->update();
    emit linesAdded();
}

void LineView::appendLine(const char *bytes, int length, qint64 addedMSecsSinceEpoch)
{
    if (appendedFrom_ < 0) {
        appendedFrom_ = count();
        longestBefore_ = lines_.longest();
    }
    lines_.append(bytes, length, addedMSecsSinceEpoch);
}

void LineView::finishAdding()
{
    if (appendedFrom_ < 0)
        return;
    const int first = appendedFrom_;
    appendedFrom_ = -1;
    if (first == 0)
        updateScrollSteps();
    else if (lines_.longest() != longestBefore_)
        updateHorizontalRange();
    updateVerticalRange();
    if (first <= verticalScrollBar()->value() + fullyVisibleRows())
        viewport()->update();
    emit linesAdded();
}

void LineView::addMarker(const QByteArray &text, qint64 addedMSecsSinceEpoch)
{
    markers_.push_back(count());
    addLine(text, addedMSecsSinceEpoch);
}

void LineView::appendMarker(const QByteArray &text, qint64 addedMSecsSinceEpoch)
{
    markers_.push_back(count());
    appendLine(text.constData(), int(text.size()), addedMSecsSinceEpoch);
}

bool LineView::isMarker(int index) const
{
    return std::binary_search(markers_.begin(), markers_.end(), index);
}

void LineView::setShowsTimes(bool on)
{
    if (on == showsTimes_)
        return;
    showsTimes_ = on;
    updateHorizontalRange();
    viewport()->update();
}

int LineView::timeColumns() const
{
    return showsTimes_ ? LocalTimeText::timeOfDayLength + 1 : 0;
}

void LineView::clear()
{
    lines_.clear();
    std::vector<int>().swap(markers_);
    selection_.clear();
    updateVerticalRange();
    updateHorizontalRange();
    viewport()->update();
    if (QAccessible::isActive()) {
        // A screen reader asks for the list's items again.
        QAccessibleEvent event(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&event);
    }
    emit cleared();
}

QByteArray LineView::lineBytes(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return QByteArray(lines_.data(index), lines_.length(index));
}

QString LineView::lineText(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return lineformat::shownText(lines_.data(index), lines_.length(index));
}

qint64 LineView::lineTime(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    return lines_.time(index);
}

QString LineView::lineToolTip(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return lineformat::toolTip(lines_.data(index), lines_.length(index), lines_.time(index));
}

void LineView::setCurrentLine(int index)
{
    if (index < 0 || index >= count())
        return;
    selectSingle(index);
}

void LineView::selectAll()
{
    selection_.selectAll(count());
    viewport()->update();
}

QString LineView::selectedText() const
{
    QString text;
    if (!hasSelection())
        return text;
    const int first = selection_.first();
    const int last = selection_.last();
    text.reserve(qsizetype(lines_.bytesBetween(first, last)) + (last - first));
    for (int i = first; i <= last; ++i) {
        if (i > first)
            text += QLatin1Char('\n');
        text += lineText(i);
    }
    return text;
}

void LineView::copySelection()
{
    if (!hasSelection())
        return;
    QGuiApplication::clipboard()->setText(selectedText());
}

bool LineView::saveToFile(const QString &path, QString *errorText) const
{
    return saveLines(lines_, path, errorText);
}

int LineView::fullyVisibleRows() const
{
    return std::max(1, viewport()->height() / rows_.rowHeight());
}

int LineView::lineAt(const QPoint &viewportPos) const
{
    if (viewportPos.y() < 0)
        return -1;
    const qint64 row = qint64(verticalScrollBar()->value()) + viewportPos.y() / rows_.rowHeight();
    return row < count() ? int(row) : -1;
}

QRect LineView::lineRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const qint64 y = (qint64(index) - verticalScrollBar()->value()) * rows_.rowHeight();
    // Far-off rows only need to be far outside the viewport, not exact.
    constexpr qint64 farAway = qint64(1) << 30;
    return QRect(0, int(std::clamp<qint64>(y, -farAway, farAway)), viewport()->width(), rows_.rowHeight());
}

// An empty list has nothing to scroll, and its steps are set with its first line: measuring
// them is the first use of the list's font, which the start-up need not wait for.
void LineView::updateScrollSteps()
{
    updatePageStep();
    updateHorizontalRange();
}

void LineView::updatePageStep()
{
    if (count() > 0)
        verticalScrollBar()->setPageStep(fullyVisibleRows());
}

void LineView::updateVerticalRange()
{
    // Called on every append: setRange does nothing when the range is unchanged, and the
    // scroll bar only schedules its own repaint otherwise.
    verticalScrollBar()->setRange(0, count() > 0 ? std::max(0, count() - fullyVisibleRows()) : 0);
}

void LineView::updateHorizontalRange()
{
    const int width = viewport()->width();
    QScrollBar *bar = horizontalScrollBar();
    bar->setPageStep(std::max(1, width));
    if (count() == 0) {
        bar->setRange(0, 0);
        return;
    }
    const qint64 content = 2 * textMargin + (lines_.widest() + timeColumns()) * rows_.charWidth();
    bar->setSingleStep(rows_.charWidth());
    bar->setRange(0, int(std::clamp<qint64>(content - width, 0, std::numeric_limits<int>::max())));
}

void LineView::ensureVisible(int index)
{
    QScrollBar *bar = verticalScrollBar();
    const int rows = fullyVisibleRows();
    if (index < bar->value())
        bar->setValue(index);
    else if (index >= bar->value() + rows)
        bar->setValue(index - rows + 1);
}

void LineView::selectSingle(int index)
{
    selection_.selectSingle(index);
    selectionChanged();
}

void LineView::extendSelectionTo(int index)
{
    selection_.extendTo(index);
    selectionChanged();
}

void LineView::selectionChanged()
{
    ensureVisible(selection_.current());
    viewport()->update();
    if (QAccessible::isActive() && hasFocus() && currentLine() >= 0) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(currentLine());
        QAccessible::updateAccessibility(&event);
    }
}

void LineView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setFont(font());

    const QPalette::ColorGroup group = !isEnabled() ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Active
                                                          : QPalette::Inactive;
    const QColor text = palette().color(group, QPalette::Text);
    const QColor highlight = palette().color(group, QPalette::Highlight);
    const QColor highlightedText = palette().color(group, QPalette::HighlightedText);

    if (count() == 0) {
        // Nothing but the focus frame: an empty list does not measure its font.
        if (hasFocus())
            LineRowPainter::paintFocusFrame(painter, viewport()->rect(), viewport()->devicePixelRatioF(), highlight);
        return;
    }
    const QRect area = event->rect();
    const int top = verticalScrollBar()->value();
    const int firstRow = top + std::max(0, area.top()) / rows_.rowHeight();
    const int lastRow = std::min(count() - 1, top + area.bottom() / rows_.rowHeight());

    const int scrollX = horizontalScrollBar()->value();
    // The text begins after the time column, when there is one.
    const int textStart = textMargin + timeColumns() * rows_.charWidth();
    const int firstColumn = std::max(0, (scrollX - textStart) / rows_.charWidth());
    const int x = textStart + firstColumn * rows_.charWidth() - scrollX;
    // A marker reads apart from the unit's lines: in the colours and the slant of a note.
    const QColor markerBase = palette().color(group, QPalette::ToolTipBase);
    const QColor markerText = palette().color(group, QPalette::ToolTipText);
    const QColor timeText = palette().color(group, QPalette::PlaceholderText);
    QFont markerFont = font();
    markerFont.setItalic(true);
    auto marker = std::lower_bound(markers_.begin(), markers_.end(), firstRow);

    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect rect(0, (row - top) * rows_.rowHeight(), viewport()->width(), rows_.rowHeight());
        const bool isMarkerRow = marker != markers_.end() && *marker == row;
        if (isMarkerRow)
            ++marker;
        if (isSelected(row)) {
            painter.fillRect(rect, highlight);
        } else if (isMarkerRow) {
            painter.fillRect(rect, markerBase);
        }
        if (showsTimes_ && textStart > scrollX) {
            char time[LocalTimeText::timeOfDayLength];
            timeText_.writeTimeOfDay(lines_.time(row), time);
            painter.setPen(isSelected(row) ? highlightedText : timeText);
            painter.drawText(QPoint(textMargin - scrollX, rect.top() + rows_.ascent()),
                             QString::fromLatin1(time, LocalTimeText::timeOfDayLength));
        }
        painter.setPen(isSelected(row) ? highlightedText : isMarkerRow ? markerText : text);
        if (isMarkerRow)
            painter.setFont(markerFont);
        rows_.paintRow(painter, lines_.data(row), lines_.length(row), firstColumn, x, rect.top(), viewport()->width());
        if (isMarkerRow)
            painter.setFont(font());
        if (row == currentLine() && hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect;
            option.backgroundColor = isSelected(row) ? highlight : palette().color(group, QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
    if (hasFocus())
        LineRowPainter::paintFocusFrame(painter, viewport()->rect(), viewport()->devicePixelRatioF(), highlight);
}

void LineView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updatePageStep();
    updateVerticalRange();
    updateHorizontalRange();
}

void LineView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        rows_.setFont(font());
        updatePageStep();
        updateVerticalRange();
        updateHorizontalRange();
        viewport()->update();
    }
}

void LineView::scrollContentsBy(int, int)
{
    // Rows are painted from the scroll values; a scheduled repaint coalesces with the append's.
    viewport()->update();
}
