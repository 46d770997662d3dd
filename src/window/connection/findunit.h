// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Einheit suchen …“: the dialog over the search for units of unknown setting. The search
// runs on the event loop and writes only to the ports in the dialog's list, never to the
// port the window is connected to (that one is named busy); choosing a unit fills the port,
// rate and address boxes (after disconnecting the window, if it is connected), and
// connecting stays the user's „Verbinden“.

#include <QStringList>

struct Program;
class UnitSearchDialog;

// Opens the dialog (once made, the same one) with the system's USB and ACM adapters and the
// port box's port, unless that is an on-board one (COM1–COM10, ttyS*), or the ports the user
// typed into it before; the last search's rows are gone.
void showUnitSearch(Program &p);
// „Suchen“: every port of the dialog's list at once.
void startUnitSearch(Program &p);
// „Übernehmen“: the chosen unit's port, rate and address into cbCOM, cbbaud and cbAdr. While
// the window is connected it is „Trennen und übernehmen“: the disconnect first, as „Trennen“
// does it, and the unit is taken once the port is closed.
void takeUnitSearchChoice(Program &p);

// The dialog, or null before it was first opened.
UnitSearchDialog *unitSearchDialog(const Program &p);

// The ports offered at first: the adapters, then `typed` when it names no on-board port.
QStringList offeredPorts(const QStringList &adapters, const QString &typed);
