// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's error numbers in German. Without German system messages installed the
// system's own texts are English ("No such file or directory"), and an English reason inside
// a German message reads like a fault of the program; the user gets the German sentence
// alone, and the system's text goes to the log (systemText).

#include <QString>

// What `errnoValue` means, as one German sentence a technician can act on; a number the
// table does not know is named by its number.
QString systemReason(int errnoValue);

// Why a new file could not be made: as systemReason(), but a name that is free or a file is
// missing nothing but its folder (ENOENT).
QString creationReason(int errnoValue);

// The system's own text for `errnoValue`, for the log only.
QString systemText(int errnoValue);
