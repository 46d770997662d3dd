// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineview.h"

#include "widgets/controlpictures.h"
#include "widgets/lineviewfile.h"
#include "widgets/lineviewformat.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace {
// Room left and right of the text, so the first character does not touch the frame.
constexpr int textMargin = 2;
// The frame that shows the list has the keyboard focus, in device pixels: wide enough to see,
// and narrower than the margin, so it never covers text.
constexpr int focusFrameWidth = 2;
} // namespace

LineView::LineView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // A fixed pitch lets a long line be cut to the visible columns by counting them (a byte is
    // one column, a control byte's box controlCells) instead of measuring text; a copied line's
    // control pictures come from a font that has them.
    setFont(controlpictures::withPictures(QFontDatabase::systemFont(QFontDatabase::FixedFont)));
    updateMetrics();

    copyAction_ = new QAction(QStringLiteral("Kopieren"), this);
    // The key itself is handled in keyPressEvent; the shortcut here only labels the menu entry.
    copyAction_->setShortcut(QKeySequence::Copy);
    copyAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction_, &QAction::triggered, this, &LineView::copySelection);

    selectAllAction_ = new QAction(QStringLiteral("Alles auswählen"), this);
    selectAllAction_->setShortcut(QKeySequence::SelectAll);
    selectAllAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(selectAllAction_, &QAction::triggered, this, &LineView::selectAll);

    parameterSetAction_ = new QAction(QStringLiteral("Parametersatz …"), this);
    // The window owns the key (Ctrl+P); here it only labels the menu entry.
    parameterSetAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    parameterSetAction_->setShortcutContext(Qt::WidgetShortcut);
    // Queued, as the save: the dialog opens after the context menu has closed.
    connect(parameterSetAction_, &QAction::triggered, this, &LineView::parameterSetAsked, Qt::QueuedConnection);

    findAction_ = new QAction(QStringLiteral("Suchen …"), this);
    findAction_->setShortcut(QKeySequence::Find);
    findAction_->setShortcutContext(Qt::WidgetShortcut);   // the window's own shortcut opens the bar
    connect(findAction_, &QAction::triggered, this, &LineView::findAsked);
    inspectAction_ = new QAction(QStringLiteral("Zeile untersuchen …"), this);
    // Queued, as for saving: the dialog opens after the context menu's own event loop.
    connect(inspectAction_, &QAction::triggered, this, [this] {
        if (current_ >= 0 && current_ < count())
            emit lineInspectionAsked(current_);
    }, Qt::QueuedConnection);

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
    if (lines_.longest() != longestBefore)
        updateHorizontalRange();
    updateVerticalRange();

    // A line below the visible rows only changes the scroll bar, which repaints itself.
    if (index <= verticalScrollBar()->value() + fullyVisibleRows())
        viewport()->update();
    emit linesAdded();
}

int LineView::count() const
{
    return lines_.count();
}

void LineView::clear()
{
    lines_.clear();
    current_ = anchor_ = selFirst_ = selLast_ = -1;
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

int LineView::longestLineLength() const
{
    return lines_.longest();
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

int LineView::currentLine() const
{
    return current_;
}

bool LineView::hasSelection() const
{
    return selFirst_ >= 0;
}

bool LineView::isSelected(int index) const
{
    return selFirst_ >= 0 && index >= selFirst_ && index <= selLast_;
}

int LineView::selectionFirst() const
{
    return selFirst_;
}

int LineView::selectionLast() const
{
    return selLast_;
}

void LineView::selectAll()
{
    if (count() == 0)
        return;
    selFirst_ = 0;
    selLast_ = count() - 1;
    viewport()->update();
}

QString LineView::selectedText() const
{
    QString text;
    if (!hasSelection())
        return text;
    text.reserve(qsizetype(lines_.bytesBetween(selFirst_, selLast_)) + (selLast_ - selFirst_));
    for (int i = selFirst_; i <= selLast_; ++i) {
        if (i > selFirst_)
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

QAction *LineView::copyAction() const
{
    return copyAction_;
}

QAction *LineView::selectAllAction() const
{
    return selectAllAction_;
}

bool LineView::saveToFile(const QString &path, QString *errorText) const
{
    return saveLines(lines_, path, errorText);
}

int LineView::rowHeight() const
{
    return rowHeight_;
}

int LineView::fullyVisibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight_);
}

int LineView::lineAt(const QPoint &viewportPos) const
{
    if (viewportPos.y() < 0)
        return -1;
    const qint64 row = qint64(verticalScrollBar()->value()) + viewportPos.y() / rowHeight_;
    return row < count() ? int(row) : -1;
}

QRect LineView::lineRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const qint64 y = (qint64(index) - verticalScrollBar()->value()) * rowHeight_;
    // Far-off rows only need to be far outside the viewport, not exact.
    constexpr qint64 farAway = qint64(1) << 30;
    return QRect(0, int(std::clamp<qint64>(y, -farAway, farAway)), viewport()->width(), rowHeight_);
}

void LineView::updateMetrics()
{
    const QFontMetrics metrics(font());
    rowHeight_ = std::max(1, metrics.height());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    ascent_ = metrics.ascent();
    // The largest size at which every name fits its box with a pixel of room on either side.
    controlFont_ = font();
    const int room = lineformat::controlCells * charWidth_ - 6;
    for (int pixels = std::max(6, ascent_); pixels >= 6; --pixels) {
        controlFont_.setPixelSize(pixels);
        const QFontMetrics small(controlFont_);
        int widest = 0;
        for (int byte = 0; byte < 0x80; ++byte)
            if (lineformat::isControl(static_cast<unsigned char>(byte)))
                widest = std::max(widest, small.horizontalAdvance(QString::fromLatin1(lineformat::controlName(static_cast<unsigned char>(byte)))));
        if (widest <= room)
            break;
    }
}

void LineView::updatePageStep()
{
    verticalScrollBar()->setPageStep(fullyVisibleRows());
}

void LineView::updateVerticalRange()
{
    // Called on every append: setRange does nothing when the range is unchanged, and the
    // scroll bar only schedules its own repaint otherwise.
    verticalScrollBar()->setRange(0, std::max(0, count() - fullyVisibleRows()));
}

void LineView::updateHorizontalRange()
{
    const qint64 content = 2 * textMargin + lines_.widest() * charWidth_;
    const int width = viewport()->width();
    QScrollBar *bar = horizontalScrollBar();
    bar->setSingleStep(charWidth_);
    bar->setPageStep(std::max(1, width));
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
    current_ = anchor_ = index;
    selFirst_ = selLast_ = index;
    ensureVisible(index);
    currentChanged();
}

void LineView::extendSelectionTo(int index)
{
    if (anchor_ < 0) {
        selectSingle(index);
        return;
    }
    current_ = index;
    selFirst_ = std::min(anchor_, index);
    selLast_ = std::max(anchor_, index);
    ensureVisible(index);
    currentChanged();
}

void LineView::currentChanged()
{
    viewport()->update();
    if (QAccessible::isActive() && hasFocus() && current_ >= 0) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current_);
        QAccessible::updateAccessibility(&event);
    }
}

bool LineView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int row = lineAt(help->pos());
        if (row < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            // Tied to the row's rectangle, so moving to the next line brings that line's tip.
            QString tip = lineToolTip(row);
            if (!toolTipNote_.isEmpty())
                tip += QLatin1Char('\n') + toolTipNote_;
            QToolTip::showText(help->globalPos(), tip, viewport(), lineRect(row));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
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

    const QRect area = event->rect();
    const int top = verticalScrollBar()->value();
    const int firstRow = top + std::max(0, area.top()) / rowHeight_;
    const int lastRow = std::min(count() - 1, top + area.bottom() / rowHeight_);

    const int scrollX = horizontalScrollBar()->value();
    const int firstColumn = std::max(0, (scrollX - textMargin) / charWidth_);
    const int x = textMargin + firstColumn * charWidth_ - scrollX;

    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect rect(0, (row - top) * rowHeight_, viewport()->width(), rowHeight_);
        if (isSelected(row)) {
            painter.fillRect(rect, highlight);
            painter.setPen(highlightedText);
        } else {
            painter.setPen(text);
        }
        paintRow(painter, lines_.data(row), lines_.length(row), firstColumn, x, rect.top());
        if (row == current_ && hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect;
            option.backgroundColor = isSelected(row) ? highlight : palette().color(group, QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
    if (hasFocus())
        paintFocusFrame(painter, highlight);
}

void LineView::paintRow(QPainter &painter, const char *bytes, int length, int firstColumn, int x, int top)
{
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
    qint64 at = x + (column - firstColumn) * qint64(charWidth_);
    const int right = viewport()->width();
    while (i < length && at < right) {
        if (lineformat::isControl(data[i])) {
            paintControl(painter, data[i], int(at), top);
            at += lineformat::controlCells * charWidth_;
            ++i;
            continue;
        }
        // A run of plain bytes in one call, cut at the right edge.
        const int fits = int(std::min<qint64>(length - i, (right - at) / charWidth_ + 1));
        int end = i;
        while (end < i + fits && !lineformat::isControl(data[end]))
            ++end;
        painter.drawText(QPoint(int(at), top + ascent_), lineformat::shownText(bytes + i, end - i));
        at += qint64(end - i) * charWidth_;
        i = end;
    }
}

void LineView::paintControl(QPainter &painter, unsigned char byte, int x, int top)
{
    // The name in a thin frame, in the row's own colour, so a selected row shows it as well.
    const QRectF box(x + 1.5, top + 1.5, lineformat::controlCells * charWidth_ - 3, rowHeight_ - 3);
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawRoundedRect(box, 2, 2);
    painter.setFont(controlFont_);
    painter.drawText(QRectF(box.left(), top, box.width(), rowHeight_), Qt::AlignHCenter | Qt::AlignVCenter,
                     QString::fromLatin1(lineformat::controlName(byte)));
    painter.restore();
}

void LineView::paintFocusFrame(QPainter &painter, const QColor &color)
{
    // Many styles (Fusion among them) draw the current row's focus rectangle only after the
    // focus came by the keyboard, and the list's frame not at all: without this frame a list
    // that got the focus by a click, or holds no current line, would not show it. Whole device
    // pixels, so no edge is lost at a fractional scale.
    const qreal px = 1.0 / viewport()->devicePixelRatioF();
    const qreal inset = focusFrameWidth * px / 2;
    QPen pen(color, focusFrameWidth * px);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(viewport()->rect()).adjusted(inset, inset, -inset, -inset));
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
        updateMetrics();
        updatePageStep();
        updateVerticalRange();
        updateHorizontalRange();
        viewport()->update();
    }
}

void LineView::mousePressEvent(QMouseEvent *event)
{
    const int row = lineAt(event->position().toPoint());
    if (row < 0) {
        event->accept(); // below the last line: nothing to select
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (event->modifiers() & Qt::ShiftModifier)
            extendSelectionTo(row);
        else
            selectSingle(row);
    } else if (event->button() == Qt::RightButton && !isSelected(row)) {
        // The context menu copies what is under the mouse, as in other lists.
        selectSingle(row);
    }
    event->accept();
}

void LineView::mouseReleaseEvent(QMouseEvent *event)
{
    // The press did the work; the release belongs to it.
    event->accept();
}

void LineView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || count() == 0) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    // Dragging past the top or bottom edge still extends to the edge row and scrolls one on.
    const int y = event->position().toPoint().y();
    const int top = verticalScrollBar()->value();
    const qint64 row = y < 0 ? qint64(top) - 1 : qint64(top) + y / rowHeight_;
    extendSelectionTo(int(std::clamp<qint64>(row, 0, count() - 1)));
    event->accept();
}

void LineView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The lists have no other use for a double-click: it shows the line's every byte.
    const int row = lineAt(event->position().toPoint());
    if (row >= 0 && event->button() == Qt::LeftButton) {
        selectSingle(row);
        emit lineInspectionAsked(row);
    }
    event->accept();
}

void LineView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        event->accept();
        return;
    }
    if (count() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int from = current_ < 0 ? 0 : current_;
    const int page = fullyVisibleRows();
    qint64 target = from;
    switch (event->key()) {
    case Qt::Key_Up: target = qint64(from) - 1; break;
    case Qt::Key_Down: target = qint64(from) + 1; break;
    case Qt::Key_PageUp: target = qint64(from) - page; break;
    case Qt::Key_PageDown: target = qint64(from) + page; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = count() - 1; break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int row = int(std::clamp<qint64>(target, 0, count() - 1));
    if (event->modifiers() & Qt::ShiftModifier)
        extendSelectionTo(row);
    else
        selectSingle(row);
    event->accept();
}

void LineView::addMenuAction(MenuGroup group, QAction *action)
{
    addedMenuActions_[int(group)] << action;
}

void LineView::contextMenuEvent(QContextMenuEvent *event)
{
    copyAction_->setEnabled(hasSelection());
    selectAllAction_->setEnabled(count() > 0);
    findAction_->setEnabled(count() > 0);
    inspectAction_->setEnabled(current_ >= 0);
    const QList<QAction *> own[menuGroupCount] = {{copyAction_, selectAllAction_}, {findAction_, inspectAction_}, {},
                                    {parameterSetAction_}};
    QMenu menu(this);
    for (int group = 0; group < menuGroupCount; ++group) {
        QList<QAction *> entries = own[group];
        for (QAction *action : addedMenuActions_[group])
            if (action->isVisible())
                entries << action;
        if (entries.isEmpty())
            continue;
        if (!menu.isEmpty())
            menu.addSeparator();
        menu.addActions(entries);
    }
    menu.exec(event->globalPos());
    event->accept();
}

void LineView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LineView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LineView::scrollContentsBy(int, int)
{
    // Rows are painted from the scroll values; a scheduled repaint coalesces with the append's.
    viewport()->update();
}
