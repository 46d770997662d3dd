// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/lineinspector.h"

#include "unit/cp1252.h"
#include "unit/hexdump.h"
#include "unit/localtimetext.h"
#include "widgets/controlpictures.h"
#include "widgets/dumpview.h"
#include "widgets/helpwindow.h"
#include "widgets/screenfitter.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// "00000000  " then 16 × "HH " with one more blank after the eighth, then " " and the text.
constexpr HexLayout dumpLayout{16, true, true, true};

QString byteCount(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 Byte")
                  : QStringLiteral("%1 Bytes").arg(QLocale(QLocale::German, QLocale::Germany).toString(n));
}

int columnsWide(const QFontMetrics &metrics, int n)
{
    return metrics.horizontalAdvance(QString(n, QLatin1Char('M')));
}

// A read-only dump of bytes in the fixed font, as wide as one row.
void setUpDump(QPlainTextEdit *dump, const QString &name)
{
    const QFont fixed = controlpictures::withPictures(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dump->setFont(fixed);
    dump->setReadOnly(true);
    dump->setLineWrapMode(QPlainTextEdit::NoWrap);
    dump->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    dump->setAccessibleName(name);
    const QFontMetrics metrics(fixed);
    dump->setMinimumWidth(columnsWide(metrics, dumpLayout.rowLength() + 4));
}
} // namespace

LineInspector::LineInspector(const QByteArray &bytes, qint64 addedMSecsSinceEpoch, const QString &listName,
                             int lineIndex, QWidget *parent)
    : QDialog(parent), bytes_(bytes), dump_(new DumpView(this)), summary_(new QLabel(this))
{
    setObjectName(QStringLiteral("lineInspector"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QLocale german(QLocale::German, QLocale::Germany);
    setWindowTitle(QStringLiteral("Zeile untersuchen – %1, Zeile %2").arg(listName, german.toString(lineIndex + 1)));

    summary_->setText(QStringLiteral("Empfangen %1 · %2")
                          .arg(LocalTimeText::germanDateTimeText(addedMSecsSinceEpoch), byteCount(bytes_.size())));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    setUpDump(dump_, QStringLiteral("Bytes der Zeile"));
    dump_->showDump(dump(bytes_), bytes_, dumpLayout.perRow, dumpLayout.textColumn());
    const QFontMetrics metrics(dump_->font());
    dump_->setMinimumHeight(metrics.height() * 12);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Schließen"));
    QPushButton *asText = buttons->addButton(QStringLiteral("Als Text kopieren"), QDialogButtonBox::ActionRole);
    QPushButton *asHex = buttons->addButton(QStringLiteral("Als Hex kopieren"), QDialogButtonBox::ActionRole);
    asText->setToolTip(QStringLiteral("Die markierten Bytes (ohne Markierung die ganze Zeile) als Text, "
                                      "Steuerzeichen als Symbole wie in der Liste"));
    asHex->setToolTip(QStringLiteral("Die markierten Bytes (ohne Markierung die ganze Zeile) als Hex, z. B. 1B 5B"));
    asText->setAutoDefault(false);
    asHex->setAutoDefault(false);
    connect(asText, &QPushButton::clicked, this, &LineInspector::copyAsText);
    connect(asHex, &QPushButton::clicked, this, &LineInspector::copyAsHex);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(dump_, 1);
    layout->addWidget(buttons);
    dump_->setFocus();
    // Wide enough for the widest row, control bytes' boxes included, where the screen has room.
    const QSize designed = sizeHint().expandedTo(
        QSize(columnsWide(metrics, dumpLayout.rowLength() + dump_->extraColumns() + 4) + layout->contentsMargins().left()
                  + layout->contentsMargins().right() + dump_->verticalScrollBar()->sizeHint().width(),
              metrics.height() * 20));
    new ScreenFitter(this, designed);
    // F1: the Handbuch's section on finding and inspecting lines.
    new QShortcut(QKeySequence::HelpContents, this, this, [this] { showHandbook(this, HandbookSection::LineInspector); });
}

QString LineInspector::dump(const QByteArray &bytes)
{
    return hexDump(bytes, dumpLayout);
}

int LineInspector::byteAt(int position, bool end) const
{
    const QTextBlock block = dump_->document()->findBlock(position);
    const int row = block.blockNumber();
    const int column = position - block.position();
    int inRow = 0;
    if (column >= dumpLayout.textColumn()) {
        inRow = column - dumpLayout.textColumn();   // the printable column: one character per byte
    } else {
        // In the hex part a byte is taken once the selection reaches into its digits.
        inRow = dumpLayout.perRow;
        for (int i = 0; i < dumpLayout.perRow; ++i) {
            if (end ? column <= dumpLayout.hexColumn(i) : column < dumpLayout.hexColumn(i) + 2) {
                inRow = i;
                break;
            }
        }
    }
    return std::clamp(row * dumpLayout.perRow + std::min(inRow, dumpLayout.perRow), 0, int(bytes_.size()));
}

QByteArray LineInspector::selectedBytes() const
{
    const QTextCursor cursor = dump_->textCursor();
    if (!cursor.hasSelection())
        return bytes_;
    const int first = byteAt(cursor.selectionStart(), false);
    const int end = byteAt(cursor.selectionEnd(), true);
    return end > first ? bytes_.mid(first, end - first) : QByteArray();
}

void LineInspector::copyAsText() const
{
    QGuiApplication::clipboard()->setText(cp1252::decodeForDisplay(selectedBytes()));
}

void LineInspector::copyAsHex() const
{
    QGuiApplication::clipboard()->setText(hexBytes(selectedBytes()));
}

void LineInspector::showBurst(const QByteArray &bytes, qint64 takenMSecsSinceEpoch)
{
    if (!burstDump_) {
        burstSummary_ = new QLabel(this);
        burstSummary_->setObjectName(QStringLiteral("burstSummary"));
        burstSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        burstDump_ = new QPlainTextEdit(this);
        burstDump_->setObjectName(QStringLiteral("burstDump"));
        setUpDump(burstDump_, QStringLiteral("Bytes des Empfangs"));
        burstDump_->setMinimumHeight(QFontMetrics(burstDump_->font()).height() * 6);
        // Below the line's own dump, above the buttons.
        auto *column = static_cast<QVBoxLayout *>(layout());
        column->insertWidget(2, burstSummary_);
        column->insertWidget(3, burstDump_, 1);
    }
    burstSummary_->setText(QStringLiteral("Gezeigt aus dem Empfang („<“) vom %1 · %2, wie er von der Leitung kam")
                               .arg(LocalTimeText::germanDateTimeText(takenMSecsSinceEpoch), byteCount(bytes.size())));
    burstDump_->setPlainText(dump(bytes));
}

void LineInspector::lineCleared()
{
    if (!windowTitle().endsWith(QStringLiteral(" (Liste geleert)")))
        setWindowTitle(windowTitle() + QStringLiteral(" (Liste geleert)"));
}
