// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qtseams.h"

#include "widgets/displaylines.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

void QtMessageBox::show(const QString &text, const QString &details)
{
    // Default title (the application's name), OK only, no icon.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), displayLines(text),
                    QMessageBox::Ok, parent_);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

bool QtMessageBox::askToWaitForPort(const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), displayLines(text),
                    QMessageBox::NoButton, parent_);
    if (!details.isEmpty())
        box.setDetailedText(details);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *wait = box.addButton(QStringLiteral("Warten und neu verbinden"), QMessageBox::ActionRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == wait;
}

bool QtMessageBox::offerUnitSearch(const QString &text, const QString &details)
{
    // As show(): default title, no icon; the search is offered beside OK.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), displayLines(text), QMessageBox::NoButton,
                    parent_);
    if (!details.isEmpty())
        box.setDetailedText(details);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QPushButton *search = box.addButton(QStringLiteral("Einheit suchen …"), QMessageBox::ActionRole);
    search->setObjectName(QStringLiteral("cmdFindUnit"));
    search->setAccessibleDescription(search->objectName());
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == search;
}

bool QtMessageBox::waitForPort(const QString &text, const std::function<bool()> &tryOpen)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    bool opened = false;
    QTimer retry;
    QObject::connect(&retry, &QTimer::timeout, &box, [&] {
        if (tryOpen()) {
            opened = true;
            retry.stop();
            box.done(QMessageBox::Ok);
        }
    });
    retry.start(500);
    box.exec();
    return opened;
}

void QtProgramEnd::end(int exitCode)
{
    QCoreApplication::exit(exitCode);
}
