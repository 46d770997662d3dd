#pragma once
// The recording ("Mitschnitt") as the window runs it: started and stopped from the lists'
// context menu (or by --log at start and by the program's end), fed by the receive path and
// the connection. A file that cannot be written stops the recording with a box that says why
// and how many records reached the file; the session, the lists and the line go on.

#include "unit/receiveengine.h"

#include <QString>

struct Program;
class PortLostError;

// "Mitschnitt in Datei …" with the chosen file; a running recording ends first.
void recording_Start(Program &p, const QString &path);
// "Mitschnitt beenden".
void recording_Stop(Program &p);
// The end of an event-loop turn that added records: they go to the system.
void recording_TurnEnd(Program &p);
// While lines come: the file is due to be flushed to the disk.
void recording_SyncDue(Program &p);

// The hooks: a shown burst (stamped as its lines in the lists), and the connection's changes.
void RecordShown(Program &p, qint64 msecsSinceEpoch, const ReceiveEngine::Lines &lines);
void RecordConnected(Program &p);
void RecordDisconnected(Program &p);
void RecordLineLost(Program &p, const PortLostError &error);
void RecordReconnected(Program &p);

// The boxes' texts, lines separated by CR.
QString recordingNotStartedMessage(const QString &path, const QString &reason);
QString recordingStoppedMessage(const QString &path, const QString &reason, qint64 recordsWritten);
