#pragma once
// The window frm1: builds and holds the controls of the layout, nothing else.
// Behaviour lives in the handlers of the subsystems.

#include "ui_mainwindow.h"

#include <QTimer>
#include <QWidget>

class MainWindow : public QWidget, public Ui::frm1 {
    Q_OBJECT
public:
    // The poll timer's interval: a burst ends after 20 ms of quiet, so an answer is in the
    // list at most 20 + 50 ms (plus the tick's own work) after its last byte.
    static constexpr int kPollIntervalMs = 50;

    explicit MainWindow(QWidget *parent = nullptr);

    QTimer tmr1;
};
