// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/dumpview.h"

#include "widgets/lineviewformat.h"

#include <QAbstractTextDocumentLayout>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {
// The control picture a byte's box stands for in copied text: U+2400 + code, U+2421 for DEL.
QChar controlPicture(unsigned char byte)
{
    return QChar(char16_t(byte == 0x7F ? 0x2421 : 0x2400 + byte));
}
} // namespace

DumpView::DumpView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    auto *box = new ControlByteBox(this);
    box->setFont(font());
    document()->documentLayout()->registerHandler(ControlByteBox::objectType, box);
}

void DumpView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        if (auto *box = findChild<ControlByteBox *>(QString(), Qt::FindDirectChildrenOnly))
            box->setFont(font());
    }
    QPlainTextEdit::changeEvent(event);
}

void DumpView::showDump(const QString &dump, const QByteArray &bytes, int perRow, int textColumn)
{
    QTextDocument *doc = document();
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    const QTextCharFormat plain;
    extraColumns_ = 0;
    int row = 0;
    for (const QStringView line : QStringView(dump).split(u'\n')) {
        if (row > 0)
            cursor.insertBlock();
        int controls = 0;
        qsizetype written = 0;
        for (qsizetype column = textColumn; column < line.size(); ++column) {
            const qsizetype at = qsizetype(row) * perRow + (column - textColumn);
            const auto byte = at < bytes.size() ? static_cast<unsigned char>(bytes.at(at)) : 0x20;
            if (!lineformat::isControl(byte))
                continue;
            cursor.insertText(line.mid(written, column - written).toString(), plain);
            QTextCharFormat box;
            box.setObjectType(ControlByteBox::objectType);
            box.setProperty(ControlByteBox::byteProperty, int(byte));
            cursor.insertText(QString(QChar::ObjectReplacementCharacter), box);
            written = column + 1;
            ++controls;
        }
        cursor.insertText(line.mid(written).toString(), plain);
        extraColumns_ = std::max(extraColumns_, controls * (lineformat::controlCells - 1));
        ++row;
    }
    cursor.endEditBlock();
    moveCursor(QTextCursor::Start);
}

QMimeData *DumpView::createMimeDataFromSelection() const
{
    // A box is copied as its control picture, as "Als Text kopieren" and the lists give it.
    const QTextCursor selection = textCursor();
    const int start = selection.selectionStart();
    const int end = selection.selectionEnd();
    QString text;
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() <= end; block = block.next()) {
        if (block.position() > start)
            text += QLatin1Char('\n');
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment part = fragment.fragment();
            const int from = std::max(part.position(), start);
            const int to = std::min(part.position() + part.length(), end);
            if (from >= to)
                continue;
            const QTextCharFormat format = part.charFormat();
            if (format.objectType() == ControlByteBox::objectType)
                text += QString(to - from, controlPicture(static_cast<unsigned char>(format.intProperty(ControlByteBox::byteProperty))));
            else
                text += part.text().mid(from - part.position(), to - from);
        }
    }
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

QSizeF ControlByteBox::intrinsicSize(QTextDocument *, int, const QTextFormat &)
{
    // As high as the row's text above its baseline: the row keeps its height.
    return QSizeF(lineformat::controlCells * painter_.charWidth(), painter_.ascent());
}

void ControlByteBox::drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int, const QTextFormat &format)
{
    const auto byte = static_cast<unsigned char>(format.intProperty(byteProperty));
    painter_.paintControl(*painter, byte, int(rect.x()), int(rect.y()));
}
