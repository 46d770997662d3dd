// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/handbookbrowser.h"

#include <QPixmap>
#include <QResizeEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

QString headingAnchor(const QString &heading)
{
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c == QLatin1Char(' '))
            anchor += QLatin1Char('-');
        else if (c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            anchor += c;
    }
    return anchor;
}

HandbookBrowser::HandbookBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    // A link to another file or a web address is not followed: no browser, no network.
    setOpenExternalLinks(false);
    setOpenLinks(true);
}

void HandbookBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    QUrl file = name.isRelative() ? source().resolved(name) : name;
    file.setFragment(QString());
    // Pictures are known by their names within one Handbuch.
    if (file != shownFile_) {
        pictures_.clear();
        shownFile_ = file;
    }
    QTextBrowser::doSetSource(name, type);
    anchorHeadings();
    wrapCodeLines();
    // Qt looked for the section before its heading had the anchor.
    if (!name.fragment().isEmpty())
        scrollToAnchor(name.fragment());
}

QVariant HandbookBrowser::loadResource(int type, const QUrl &name)
{
    const QVariant loaded = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::ImageResource)
        return loaded;
    QImage picture;
    if (loaded.userType() == QMetaType::QByteArray)
        picture = QImage::fromData(loaded.toByteArray());
    else if (loaded.canConvert<QImage>())
        picture = loaded.value<QImage>();
    if (picture.isNull())
        return loaded;
    pictures_.insert(name, picture);
    return fitted(picture);
}

void HandbookBrowser::resizeEvent(QResizeEvent *event)
{
    // The pictures for the new page go in before the document is laid out for it; those not
    // yet loaded are fitted as they load.
    if (pageWidth() != fittedPage_) {
        fittedPage_ = pageWidth();
        for (auto it = pictures_.cbegin(); it != pictures_.cend(); ++it)
            document()->addResource(QTextDocument::ImageResource, it.key(), fitted(it.value()));
    }
    QTextBrowser::resizeEvent(event);
}

int HandbookBrowser::pageWidth() const
{
    // The Handbuch is always longer than the window, so the page is what the vertical scroll
    // bar leaves, also before the bar is there.
    return contentsRect().width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)
           - 2 * int(document()->documentMargin()) - 2;
}

QImage HandbookBrowser::fitted(const QImage &picture) const
{
    const int page = pageWidth();
    if (page <= 0 || picture.width() <= page)
        return picture;
    // As many pixels as the screen has there, so the smaller picture stays sharp.
    const qreal ratio = devicePixelRatioF();
    QImage smaller = picture.scaledToWidth(qRound(page * ratio), Qt::SmoothTransformation);
    smaller.setDevicePixelRatio(ratio);
    return smaller;
}

void HandbookBrowser::wrapCodeLines()
{
    // A command or a recording's line wider than the page goes on in the next line, as the
    // text does, so the page never scrolls sideways.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().nonBreakableLines())
            continue;
        QTextBlockFormat breakable;
        breakable.setNonBreakableLines(false);
        QTextCursor(block).mergeBlockFormat(breakable);
    }
}

void HandbookBrowser::anchorHeadings()
{
    // Two headings of the same words: GitHub numbers the second "-1", the third "-2".
    QHash<QString, int> seen;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.length() <= 1)
            continue;
        QString anchor = headingAnchor(block.text().trimmed());
        const int before = seen[anchor]++;
        if (before > 0)
            anchor += QLatin1Char('-') + QString::number(before);
        if (block.begin().fragment().charFormat().anchorNames().contains(anchor))
            continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat named;
        named.setAnchor(true);
        named.setAnchorNames({anchor});
        cursor.mergeCharFormat(named);
    }
}
