// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Mitschnitt öffnen …“ (both lists' menus) and --open FILE: a recording in a window of its own
// (RecordingViewer), read-only, as many as the user likes; the main window stays usable and
// its line connected. Nothing of it touches the port or the running recording, so it belongs
// to no subsystem below app. A file that cannot be read is said in a box.

#include <QString>

struct Program;

void openRecording(Program &p, const QString &path);

// The box's text, lines separated by CR.
QString recordingNotOpenedMessage(const QString &path, const QString &reason);
