#include "ui/lineview.h"

#include "shared/cp1252.h"
#include "ui/lineviewaccessible.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <limits>

namespace {
// Room left and right of the text, so the first character does not touch the frame.
constexpr int kMargin = 2;

// The tool tip shows this many bytes in hex, in rows of kHexPerRow, so it stays narrow.
constexpr int kHexShown = 64;
constexpr int kHexPerRow = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

constexpr qint64 kMsPerMinute = 60 * 1000;
constexpr qint64 kMsPerDay = 24 * 60 * kMsPerMinute;

// Every byte as the UTF-8 of the symbol the list shows for it, worked out once from the
// display conversion itself, so that a saved file says exactly what the list says.
struct Utf8Byte {
    std::array<char, 4> bytes{};
    int length = 0;
};

std::array<Utf8Byte, 256> makeUtf8Table()
{
    std::array<Utf8Byte, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const QByteArray utf8 = cp1252::decodeForDisplay(QByteArray(1, char(b))).toUtf8();
        Q_ASSERT(utf8.size() <= 4);
        std::copy(utf8.cbegin(), utf8.cend(), table[std::size_t(b)].bytes.begin());
        table[std::size_t(b)].length = int(utf8.size());
    }
    return table;
}

const std::array<Utf8Byte, 256> &utf8Table()
{
    static const std::array<Utf8Byte, 256> table = makeUtf8Table();
    return table;
}

// Writes "HH:MM:SS.mmm" of local time. Asking QDateTime for every line would cost a time
// zone look-up per line; zones change their offset only on whole minutes, so it is asked
// once per minute of the lines' times and the rest is arithmetic.
class TimeOfDayWriter {
public:
    static constexpr int kLength = 12;

    char *write(qint64 msecsSinceEpoch, char *out)
    {
        const qint64 minute = floorDiv(msecsSinceEpoch, kMsPerMinute);
        if (minute != minute_) {
            minute_ = minute;
            offsetMs_ = qint64(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).offsetFromUtc()) * 1000;
        }
        const qint64 ms = floorMod(msecsSinceEpoch + offsetMs_, kMsPerDay);
        out = twoDigits(int(ms / 3'600'000), out);
        *out++ = ':';
        out = twoDigits(int(ms / 60'000 % 60), out);
        *out++ = ':';
        out = twoDigits(int(ms / 1000 % 60), out);
        *out++ = '.';
        const int milli = int(ms % 1000);
        *out++ = char('0' + milli / 100);
        return twoDigits(milli % 100, out);
    }

private:
    static qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
    static qint64 floorMod(qint64 a, qint64 b) { return a - floorDiv(a, b) * b; }
    static char *twoDigits(int value, char *out)
    {
        *out++ = char('0' + value / 10);
        *out++ = char('0' + value % 10);
        return out;
    }

    qint64 minute_ = std::numeric_limits<qint64>::min();
    qint64 offsetMs_ = 0;
};

QString timeOfDay(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
}
} // namespace

LineView::LineView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    // Before anything can ask for this widget's accessible interface and cache Qt's default one.
    installAccessibility();

    setFocusPolicy(Qt::StrongFocus);
    // A fixed pitch lets a long line be cut to the visible columns by counting bytes
    // (every byte is one shown character) instead of measuring text.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
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

    saveAction_ = new QAction(QStringLiteral("Speichern unter …"), this);
    // Queued: the file dialog then opens after the context menu's own event loop has ended,
    // not inside it.
    connect(saveAction_, &QAction::triggered, this, &LineView::saveAs, Qt::QueuedConnection);

    askSaveFile_ = [](QWidget *parent, const QString &caption, const QString &suggestedPath,
                      const QString &filter) {
        return QFileDialog::getSaveFileName(parent, caption, suggestedPath, filter);
    };
    warn_ = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox::warning(parent, title, text);
    };

    verticalScrollBar()->setSingleStep(1);
    updatePageStep();
    updateVerticalRange();
    updateHorizontalRange();
}

LineView::~LineView() = default;

void LineView::installAccessibility()
{
    QAccessible::installFactory(lineViewAccessibleFactory);
}

void LineView::addLine(const QByteArray &bytes)
{
    addLine(bytes, QDateTime::currentMSecsSinceEpoch());
}

void LineView::addLine(const QByteArray &bytes, qint64 addedMSecsSinceEpoch)
{
    const int index = count();
    // vector::insert grows the capacity geometrically, so appending is amortised O(1) and the
    // buffer is never more than twice the text.
    text_.insert(text_.end(), bytes.cbegin(), bytes.cend());
    ends_.push_back(text_.size());
    times_.push_back(addedMSecsSinceEpoch);

    if (bytes.size() > longest_) {
        longest_ = int(std::min<qsizetype>(bytes.size(), std::numeric_limits<int>::max()));
        updateHorizontalRange();
    }
    updateVerticalRange();

    // A line below the visible rows only changes the scroll bar, which repaints itself.
    if (index <= verticalScrollBar()->value() + fullyVisibleRows())
        viewport()->update();
}

int LineView::count() const
{
    return int(ends_.size());
}

const char *LineView::lineData(int index) const
{
    const quint64 begin = index == 0 ? 0 : ends_[std::size_t(index) - 1];
    return text_.data() + begin;
}

int LineView::lineLength(int index) const
{
    const quint64 begin = index == 0 ? 0 : ends_[std::size_t(index) - 1];
    return int(ends_[std::size_t(index)] - begin);
}

QByteArray LineView::lineBytes(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return QByteArray(lineData(index), lineLength(index));
}

QString LineView::lineText(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return cp1252::decodeForDisplay(QByteArray::fromRawData(lineData(index), lineLength(index)));
}

int LineView::longestLineLength() const
{
    return longest_;
}

qint64 LineView::lineTime(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    return times_[std::size_t(index)];
}

QString LineView::lineToolTip(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const int length = lineLength(index);
    QString tip = timeOfDay(lineTime(index)) + QLatin1Char('\n')
                  + (length == 1 ? QStringLiteral("1 Byte") : QStringLiteral("%1 Bytes").arg(length));
    const auto *bytes = reinterpret_cast<const unsigned char *>(lineData(index));
    const int shown = std::min(length, kHexShown);
    for (int i = 0; i < shown; ++i) {
        tip += QLatin1Char(i % kHexPerRow == 0 ? '\n' : ' ');
        tip += QLatin1Char(kHexDigits[bytes[i] >> 4]);
        tip += QLatin1Char(kHexDigits[bytes[i] & 0xF]);
    }
    if (length > kHexShown)
        tip += QStringLiteral(" …");
    return tip;
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
    text.reserve(qsizetype(ends_[std::size_t(selLast_)] - (selFirst_ == 0 ? 0 : ends_[std::size_t(selFirst_) - 1]))
                 + (selLast_ - selFirst_));
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

QAction *LineView::saveAction() const
{
    return saveAction_;
}

bool LineView::saveToFile(const QString &path, QString *errorText) const
{
    const auto fail = [errorText](const QString &reason) {
        if (errorText)
            *errorText = reason;
        return false;
    };
    // The whole file goes to a temporary one first and replaces the target only when complete:
    // a failure half-way leaves neither a truncated file nor the temporary one behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    // Formatting into one large buffer and writing it in few calls keeps a million lines well
    // under a second; per-line QString conversions would not.
    constexpr std::size_t kChunk = std::size_t(1) << 20;
    constexpr std::size_t kPerLineExtra = TimeOfDayWriter::kLength + 2; // tab and newline
    const auto &table = utf8Table();
    std::vector<char> buffer(kChunk + 4 * 1024);
    std::size_t used = 0;
    const auto flush = [&] {
        const bool ok = file.write(buffer.data(), qint64(used)) == qint64(used);
        used = 0;
        return ok;
    };
    TimeOfDayWriter timeWriter;
    for (int i = 0; i < count(); ++i) {
        const int length = lineLength(i);
        const std::size_t worst = kPerLineExtra + 3 * std::size_t(length);
        if (used + worst > buffer.size()) {
            if (used > 0 && !flush())
                return fail(file.errorString());
            if (worst > buffer.size())
                buffer.resize(worst);
        }
        char *out = buffer.data() + used;
        out = timeWriter.write(times_[std::size_t(i)], out);
        *out++ = '\t';
        const auto *bytes = reinterpret_cast<const unsigned char *>(lineData(i));
        for (int k = 0; k < length; ++k) {
            const Utf8Byte &symbol = table[bytes[k]];
            for (int j = 0; j < symbol.length; ++j)
                *out++ = symbol.bytes[std::size_t(j)];
        }
        *out++ = '\n';
        used = std::size_t(out - buffer.data());
        if (used >= kChunk && !flush())
            return fail(file.errorString());
    }
    if (used > 0 && !flush())
        return fail(file.errorString());
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

void LineView::saveAs()
{
    const QString caption = QStringLiteral("Speichern unter");
    QString dir = lastSaveDir_;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (dir.isEmpty() || !QFileInfo(dir).isDir())
            dir = QDir::homePath();
    }
    const QString suggested = QDir(dir).filePath(suggestedFileName(QDateTime::currentDateTime()));
    // The dialog runs its own event loop: the window may be closed meanwhile.
    QPointer<LineView> self(this);
    const QString path = askSaveFile_(this, caption, suggested,
                                      QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
    if (!self || path.isEmpty())
        return;
    QString reason;
    if (saveToFile(path, &reason)) {
        lastSaveDir_ = QFileInfo(path).absolutePath();
        return;
    }
    warn_(this, caption,
          QStringLiteral("Die Datei „%1“ konnte nicht gespeichert werden: %2")
              .arg(QDir::toNativeSeparators(path), reason));
}

QString LineView::suggestedFileName(const QDateTime &now) const
{
    QString name = QStringLiteral("rix-term-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!saveNameSuffix_.isEmpty())
        name += QLatin1Char('-') + saveNameSuffix_;
    return name + QStringLiteral(".txt");
}

QString LineView::saveNameSuffix() const
{
    return saveNameSuffix_;
}

void LineView::setSaveNameSuffix(const QString &suffix)
{
    saveNameSuffix_ = suffix;
}

void LineView::setSaveFileAsker(SaveFileAsker asker)
{
    askSaveFile_ = std::move(asker);
}

void LineView::setWarningBox(WarningBox box)
{
    warn_ = std::move(box);
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
    constexpr qint64 kFar = qint64(1) << 30;
    return QRect(0, int(std::clamp<qint64>(y, -kFar, kFar)), viewport()->width(), rowHeight_);
}

void LineView::updateMetrics()
{
    const QFontMetrics metrics(font());
    rowHeight_ = std::max(1, metrics.height());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    ascent_ = metrics.ascent();
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
    const qint64 content = 2 * kMargin + qint64(longest_) * charWidth_;
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
            QToolTip::showText(help->globalPos(), lineToolTip(row), viewport(), lineRect(row));
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
    const int firstColumn = std::max(0, (scrollX - kMargin) / charWidth_);
    const int columns = viewport()->width() / charWidth_ + 2;
    const int x = kMargin + firstColumn * charWidth_ - scrollX;

    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect rect(0, (row - top) * rowHeight_, viewport()->width(), rowHeight_);
        if (isSelected(row)) {
            painter.fillRect(rect, highlight);
            painter.setPen(highlightedText);
        } else {
            painter.setPen(text);
        }
        const int length = lineLength(row);
        if (length > firstColumn) {
            const int shown = std::min(columns, length - firstColumn);
            const QString visible = cp1252::decodeForDisplay(
                QByteArray::fromRawData(lineData(row) + firstColumn, shown));
            painter.drawText(QPoint(x, rect.top() + ascent_), visible);
        }
        if (row == current_ && hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect;
            option.backgroundColor = isSelected(row) ? highlight : palette().color(group, QPalette::Base);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
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

void LineView::contextMenuEvent(QContextMenuEvent *event)
{
    copyAction_->setEnabled(hasSelection());
    selectAllAction_->setEnabled(count() > 0);
    saveAction_->setEnabled(count() > 0);
    QMenu menu(this);
    menu.addAction(copyAction_);
    menu.addAction(selectAllAction_);
    menu.addAction(saveAction_);
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
