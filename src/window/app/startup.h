// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up: the window's height and the filling of the window.

#include <QString>
#include <QStringList>

class MainWindow;
struct ProgramState;

// The window's inner area is 5280 twips high, whatever its title bar and frame measure (Qt
// sizes the inner area): this many pixels at `dotsPerInch`.
int innerHeightPixels(int dotsPerInch);

// Fills the combo boxes and the parameter texts from the program's start values.
void InitProgram(MainWindow &w, const ProgramState &state);

// The one line to print when the window would have nowhere to appear, empty when it has. The
// window system is the one asked for by "-platform NAME" among `arguments` (the program's
// own name first) or else by `qpaPlatform` (QT_QPA_PLATFORM); X11 and Wayland, Qt's choice
// when none is asked for, need DISPLAY or WAYLAND_DISPLAY. Any other (offscreen, vnc, …) is
// left to Qt.
QString missingDisplayMessage(const QStringList &arguments, const QString &qpaPlatform, const QString &display,
                              const QString &waylandDisplay);

// The one line to print when Qt found the window systems `failedPlatforms` but could connect
// to none: the displays it tried, X11's as Qt named it (`x11Display`), Wayland's from
// WAYLAND_DISPLAY (Qt's default when empty). Empty when none of them is X11 or Wayland: a
// failure of another kind is left to Qt.
QString unreachableDisplayMessage(const QStringList &failedPlatforms, const QString &x11Display,
                                  const QString &waylandDisplay);
