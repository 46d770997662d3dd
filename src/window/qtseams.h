// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real seams: a QMessageBox, the end of the event loop.

#include "window/seams.h"

class QWidget;

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }
    void show(const QString &text, const QString &details = QString()) override;
    bool askToWaitForPort(const QString &text, const QString &details) override;
    bool waitForPort(const QString &text, const std::function<bool()> &tryOpen) override;
    bool offerUnitSearch(const QString &text, const QString &details) override;

private:
    QWidget *parent_;
};

class QtProgramEnd : public ProgramEnd {
public:
    void end(int exitCode) override;
};
