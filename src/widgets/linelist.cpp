// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/linelist.h"

#include "widgets/lineinspector.h"
#include "widgets/lineviewfilemenu.h"

#include <QAction>

LineList::LineList(QWidget *parent)
    : LineView(parent)
    , fileMenu_(new LineViewFileMenu(*this, [this](const QString &path, QString *errorText) {
        return saveToFile(path, errorText);
    }))
{
    // The lines are never cleared, so once there is one there is something to save.
    QAction *save = fileMenu_->saveAction();
    save->setEnabled(false);
    connect(this, &LineView::linesAdded, save, [save] { save->setEnabled(true); });
    addMenuAction(MenuGroup::Edit, save);
    addMenuAction(MenuGroup::File, fileMenu_->recordAction());
    addMenuAction(MenuGroup::File, fileMenu_->stopRecordingAction());
    connect(fileMenu_, &LineViewFileMenu::recordingFileChanged, this,
            [this] { setToolTipNote(fileMenu_->recordingNote()); });
    connect(this, &LineView::lineInspectionAsked, this, &LineList::openInspector);
}

void LineList::openInspector(int index)
{
    if (index < 0 || index >= count())
        return;
    // Non-modal and its own: it keeps its copy of the bytes and closes itself away.
    auto *inspector = new LineInspector(lineBytes(index), lineTime(index), accessibleName(), index, window());
    inspector->show();
}
