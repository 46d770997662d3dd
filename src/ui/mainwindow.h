#pragma once
// The window frm1: builds and holds the controls of the layout, nothing else.
// Behaviour lives in the handlers of the subsystems.

#include "ui_mainwindow.h"

#include <QTimer>
#include <QWidget>

class MainWindow : public QWidget, public Ui::frm1 {
    Q_OBJECT
public:
    // The poll timer's interval. A tick that finds nothing costs no wait, so it can come
    // often: a burst opens at most this long after its first byte and ends 20 ms after its
    // last, so an answer is in the list about 20-30 ms after the unit's last byte.
    static constexpr int kPollIntervalMs = 10;

    explicit MainWindow(QWidget *parent = nullptr);

    QTimer tmr1;
};
