// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A user's mouse and choices, sent through the window's QWindow the way Qt routes real
// input (QTest on the widget itself would skip the application-wide mouse filter).

#include <QString>
#include <Qt>

class MainWindow;
class QWidget;

namespace userinput {
void press(MainWindow &w, QWidget *control, Qt::MouseButton button = Qt::LeftButton);
void release(MainWindow &w, QWidget *control, Qt::MouseButton button = Qt::LeftButton);
void click(MainWindow &w, QWidget *control, Qt::MouseButton button = Qt::LeftButton);
// A click queued the way the window system delivers one: asynchronously, so that a click
// made while a handler holds its pause waits, in order, until the pause is over. Two such
// clicks within the double-click time make a double-click.
void queueClick(MainWindow &w, QWidget *control, Qt::MouseButton button = Qt::LeftButton);
// Types the port, chooses baud rate and address digit in the connection boxes.
void chooseConnection(MainWindow &w, const QString &port, const QString &baud, const QString &digit);
// Chooses the connection and clicks "Verbinden".
void connect(MainWindow &w, const QString &port, const QString &baud, const QString &digit);
} // namespace userinput
