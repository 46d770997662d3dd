#pragma once
// The window frm1: builds and holds the controls of the layout, nothing else.
// Behaviour lives in the handlers of the subsystems.

#include "ui_mainwindow.h"

#include <QScrollArea>
#include <QSize>
#include <QTimer>
#include <QWidget>

class MainWindow : public QWidget, public Ui::frm1 {
    Q_OBJECT
public:
    // The poll timer's interval: the lamps are refreshed this often. Bytes that arrive
    // while it runs open a burst at once, and a burst ends 20 ms after its last byte, so an
    // answer is in the list about 20 ms after the unit's last byte.
    static constexpr int kPollIntervalMs = 50;

    explicit MainWindow(QWidget *parent = nullptr);

    // Gives the window its designed inner size, or, on a screen whose free area is smaller,
    // that area with the layout scrolling inside it.
    void fitInto(QSize designed, QSize available);

    QTimer tmr1;
    // The controls sit at fixed places on `layoutArea`; `scroller` shows it whole at the
    // designed size and scrolls it when the window is smaller.
    QScrollArea *scroller;
    QWidget *layoutArea;
};
