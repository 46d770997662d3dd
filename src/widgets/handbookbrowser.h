// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Handbuch's Markdown as Qt shows it, with what Qt's Markdown import leaves out. A heading
// gets no anchor there, so a link to a section ("#der-mitschnitt") and a dialog's F1 would
// lead nowhere: here every heading gets the anchor GitHub gives it, so one link works in both
// places. A picture keeps its own width there, wider than a small window: here a picture wider
// than the page is shown at the page's width, and a code line wider than the page goes on in
// the next line.

#include <QHash>
#include <QImage>
#include <QTextBrowser>
#include <QUrl>

// GitHub's anchor of a heading: lower case, each blank a "-", every character but letters,
// digits, "-" and "_" left out ("rix-sim: ohne Einheit ausprobieren" →
// "rix-sim-ohne-einheit-ausprobieren").
QString headingAnchor(const QString &heading);

class HandbookBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HandbookBrowser(QWidget *parent = nullptr);

    // A picture as the document gets it: the file's, or made as wide as the page.
    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void anchorHeadings();
    void wrapCodeLines();
    int pageWidth() const;
    QImage fitted(const QImage &picture) const;

    QUrl shownFile_;
    QHash<QUrl, QImage> pictures_;   // as in the file, by the name the Handbuch gives them
    int fittedPage_ = 0;             // the page width the pictures were last fitted to
};
