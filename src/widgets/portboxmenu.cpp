// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/portboxmenu.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

void addPortBoxMenuAction(QComboBox *portBox, QAction *action)
{
    QLineEdit *field = portBox->lineEdit();
    QWidget *target = field ? static_cast<QWidget *>(field) : portBox;
    target->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(target, &QWidget::customContextMenuRequested, target, [field, target, action](const QPoint &at) {
        QMenu *menu = field ? field->createStandardContextMenu() : new QMenu(target);
        if (!menu->isEmpty())
            menu->addSeparator();
        menu->addAction(action);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(target->mapToGlobal(at));
    });
}
