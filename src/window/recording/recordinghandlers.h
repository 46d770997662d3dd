// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording ("Mitschnitt") as the window runs it: started and stopped from the lists'
// context menu (or by --log at start and by the program's end), fed by the receive path and
// the connection. A file that cannot be written stops the recording with a box that says why
// and how many records reached the file; the session, the lists and the line go on.

#include "unit/protocol/receiveengine.h"

#include <QString>

struct Program;
class PortLostError;
class PortOpenError;

// "Mitschnitt in Datei …" with the chosen file; a running recording ends first.
void recordingStart(Program &p, const QString &path);
// "Mitschnitt beenden".
void recordingStop(Program &p);
// The recording failed and stopped: the box says why. While a TR key is held on the line the
// box waits for the key's release (the window also calls this after it): a modal box would
// swallow the mouse-up that lets go of the key.
void recordingFailed(Program &p);
// While lines come: the file is due to be flushed to the disk.
void recordingSyncDue(Program &p);

// The hooks: the lines just shown (stamped as in the lists), each piece a record, written
// before the handler that shows them returns; and the connection's changes.
void recordShown(Program &p, qint64 msecsSinceEpoch, const ReceiveEngine::Shown &shown);
void recordConnected(Program &p);
void recordDisconnected(Program &p);
void recordLineLost(Program &p, const PortLostError &error);
void recordReconnected(Program &p);
// The user cleared both lists, which held these many lines.
void recordListsCleared(Program &p, qint64 commandLines, qint64 answerLines);
// A connect the port refused, with the system's reason.
void recordRefusedConnect(Program &p, const PortOpenError &error);
// The program ends by a signal: the end marker names it, and the file is closed. The text
// for standard error when the file could not be ended whole (see recordEndedWithProgram).
QString recordEndedBySignal(Program &p, int signalNumber);
// The program ends with a recording still running: the end marker is written and the file
// closed. Empty when that worked, else the line for standard error ("rix-term: Der Mitschnitt
// in „…“ ist unvollständig: …"), so that the exit does not pass for a success.
QString recordEndedWithProgram(Program &p);
// "SIGTERM" and its two siblings by name, any other by number.
QString signalName(int signalNumber);

// The boxes' texts, lines separated by CR.
QString recordingNotStartedMessage(const QString &path, const QString &reason);
QString recordingStoppedMessage(const QString &path, const QString &reason, qint64 recordsWritten);
