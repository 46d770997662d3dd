// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The line inspector and the find bar show a control byte as its control picture (U+2400 +
// code, U+2421 for DEL: ␛ for ESC, ␇ for BEL); the lists show its name in a box instead. Few
// fonts have the pictures, and without one every control byte is the same empty box. FreeMono
// (Debian's fonts-freefont-ttf, which the package depends on) has every one of them, one cell
// wide as in the other fixed-pitch fonts, so it is asked for them right after the widget's
// own font and before any font the system would pick.

#include <QFont>

namespace controlpictures {

inline constexpr char fontFamily[] = "FreeMono";

// `base` with FreeMono behind it for the characters base's own family lacks.
QFont withPictures(const QFont &base);

} // namespace controlpictures
