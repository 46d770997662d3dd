// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/linelist.h"

#include "widgets/lineinspector.h"
#include "widgets/lineviewfilemenu.h"

#include <QAbstractButton>
#include <QAction>
#include <QMessageBox>

const QString LineList::clearQuestion = QStringLiteral(
    "Beide Listen leeren?\nEin laufender Mitschnitt behält alle Zeilen und vermerkt das Leeren.");

LineList::LineList(QWidget *parent)
    : LineView(parent)
    , fileMenu_(new LineViewFileMenu(*this, [this](const QString &path, QString *errorText) {
        return saveToFile(path, errorText);
    }))
    , clearAction_(new QAction(QStringLiteral("Listen leeren"), this))
{
    // Once there is a line there is something to save, until the lists are cleared.
    QAction *save = fileMenu_->saveAction();
    save->setEnabled(false);
    connect(this, &LineView::linesAdded, save, [save] { save->setEnabled(true); });
    connect(this, &LineView::cleared, save, [save] { save->setEnabled(false); });
    addMenuAction(MenuGroup::Edit, save);
    addMenuAction(MenuGroup::Edit, clearAction_);
    addMenuAction(MenuGroup::File, fileMenu_->recordAction());
    addMenuAction(MenuGroup::File, fileMenu_->stopRecordingAction());
    addMenuAction(MenuGroup::File, fileMenu_->openRecordingAction());
    connect(fileMenu_, &LineViewFileMenu::recordingFileChanged, this,
            [this] { setToolTipNote(fileMenu_->recordingNote()); });
    connect(this, &LineView::lineInspectionAsked, this, &LineList::openInspector);

    askClear_ = [](QWidget *parent, const QString &title, const QString &question) {
        QMessageBox box(QMessageBox::Question, title, question, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Nein"));
        return box.exec() == QMessageBox::Yes;
    };
    // Queued, as the file entries: the question opens after the context menu has closed.
    connect(clearAction_, &QAction::triggered, this, &LineList::askToClear, Qt::QueuedConnection);
    connect(this, &LineView::cleared, this, [this] {
        for (const QPointer<LineInspector> &inspector : std::as_const(inspectors_))
            if (inspector)
                inspector->lineCleared();
        inspectors_.clear();
    });
}

void LineList::askToClear()
{
    if (askClear_(window(), QStringLiteral("Listen leeren"), clearQuestion))
        emit clearAsked();
}

void LineList::openInspector(int index)
{
    if (index < 0 || index >= count())
        return;
    // Non-modal and its own: it keeps its copy of the bytes and closes itself away.
    auto *inspector = new LineInspector(lineBytes(index), lineTime(index), accessibleName(), index, window());
    inspectors_.removeAll(nullptr);
    inspectors_.append(inspector);
    inspector->show();
}
