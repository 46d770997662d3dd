// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps a top-level window within the free area of its screen, at any scale: sized to its
// designed size where there is room (else to the room there is, never below its minimum
// size), before it is shown and again once the window manager has framed it, and moved
// wholly into the free area, frame included (screenfit.*).

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

class ScreenFitter : public QObject {
public:
    // Watches `window`, which owns the fitter.
    ScreenFitter(QWidget *window, QSize designed);
    // Fits the window now: a dialog that Qt places on showing calls it first, so that it is
    // placed with the size it will have.
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window_;
    QSize designed_;
    QMargins fittedFrame_{-1, -1, -1, -1};   // the frame last fitted to; none yet
};
