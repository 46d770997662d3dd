// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/realboxes.h"

#include "support/userinput.h"
#include "window/app/dispatch.h"
#include "window/receive/polling.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

BoxDriver::BoxDriver(std::vector<Action> actions) : actions_(std::move(actions))
{
    connect(&timer_, &QTimer::timeout, this, [this] { step(); });
    timer_.start(5);
    QTimer::singleShot(5000, this, [] {
        if (QWidget *stuck = QApplication::activeModalWidget())
            stuck->close();
    });
}

void BoxDriver::step()
{
    if (current_)
        return;   // the box acted on has not gone yet
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
        return;
    texts.push_back(box->text());
    current_ = box;
    connect(box, &QDialog::finished, this, [this] { current_ = nullptr; });
    if (texts.size() <= actions_.size() && actions_[texts.size() - 1])
        actions_[texts.size() - 1](*box);
}

QPushButton *buttonOf(QMessageBox &box, const QString &text)
{
    for (QAbstractButton *b : box.buttons())
        if (b->text() == text)
            return qobject_cast<QPushButton *>(b);
    return nullptr;
}

void clickOk(QMessageBox &box)
{
    QPushButton *ok = buttonOf(box, QStringLiteral("OK"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(box.windowHandle(), Qt::LeftButton, {}, ok->mapTo(&box, ok->rect().center()));
}

void chooseToWait(QMessageBox &box)
{
    QPushButton *wait = buttonOf(box, QStringLiteral("Warten und neu verbinden"));
    ASSERT_NE(wait, nullptr);
    wait->setFocus();
    QTest::keyClick(wait, Qt::Key_Space);
}

ProgramWithRealBoxes::ProgramWithRealBoxes()
{
    app.prepare();
    w.show();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(&w);
}

void ProgramWithRealBoxes::press(QWidget *c) { userinput::press(w, c); }
void ProgramWithRealBoxes::release(QWidget *c) { userinput::release(w, c); }
void ProgramWithRealBoxes::click(QWidget *c) { userinput::click(w, c); }

void ProgramWithRealBoxes::connectWith(const QString &port, const QString &baud, const QString &digit)
{
    userinput::connect(w, port, baud, digit);
}

void ProgramWithRealBoxes::tick()
{
    dispatchReceive(app.program(), tmr1_Timer);
}
