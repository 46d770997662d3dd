#pragma once
// Start-up: the window's height and the filling of the window.

#include <QString>

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
