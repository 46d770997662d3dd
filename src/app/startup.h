#pragma once
// Start-up: the window's height and the filling of the window.

#include <QString>
#include <QStringList>

class MainWindow;
struct ProgramState;

// The window is 5685 twips high where title bar and frame measure 405 twips and grows or
// shrinks with them: FrameAdjust is the measured height minus 405, rounded to nearest (ties to even).
int frameAdjustFor(double measuredFrameTwips);
int windowHeightTwips(int frameAdjust);
// Qt sizes the inner area; this is the inner height that gives the window that outer height.
int innerHeightPixels(double measuredFrameTwips, double twipsPerPixel);

// Sets the program's start values and fills the combo boxes and the parameter texts.
void InitProgram(MainWindow &w, ProgramState &state);

// The one line to print when the window would have nowhere to appear, empty when it has. The
// window system is the one asked for by "-platform NAME" among `arguments` (the program's
// own name first) or else by `qpaPlatform` (QT_QPA_PLATFORM); X11 and Wayland, Qt's choice
// when none is asked for, need DISPLAY or WAYLAND_DISPLAY. Any other (offscreen, vnc, …) is
// left to Qt.
QString missingDisplayMessage(const QStringList &arguments, const QString &qpaPlatform, const QString &display,
                              const QString &waylandDisplay);
