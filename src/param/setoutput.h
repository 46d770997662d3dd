// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where `read -o` puts the parameter set: the target checked before the unit is asked, so
// that a place that cannot take the file costs no read, and the save itself, whose
// temporary file a signal removes before it ends the program.

#include <QString>

class StopRequest;

// Why the set cannot be saved at `path` ("PATH: nichts gespeichert. REASON"): a folder, a
// device or FIFO, a folder that is missing, read-only or not the user's to write; empty when
// a save may go ahead. The save checks again: this only spares the unit a useless read.
// Leaves nothing behind, also when a signal comes meanwhile (`stop`).
QString outputRefusal(const QString &path, StopRequest &stop);

// The same for `read -o FOLDER/`: why no unit's file can be saved in `folder` ("FOLDER/:
// nichts gespeichert. REASON"); empty when the folder takes files.
QString folderRefusal(const QString &folder, StopRequest &stop);

// Writes `text` to `path` completely or not at all, as saveSetFile() does, with its
// temporary file guarded by `stop`. Returns the German reason of a failure; empty on success.
QString saveSet(const QString &path, const QString &text, StopRequest &stop);
