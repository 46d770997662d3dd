// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Parametersatz …“: the dialog over the connected unit, and its read and write, which run
// the shared parameter session through the window's own buttons' path: every command goes
// out as an F button's read or as the send button's write, with their pauses, and every
// answer is shown in the lists (and the recording) as theirs is.

struct Program;
class ParameterDialog;

// Opens the dialog (once made, the same one) for the unit the window is connected to.
void showParameterSet(Program &p);
// „Von der Einheit lesen“: F0–F6 in order, until done, „Abbrechen“ or a failure.
void readParameterSet(Program &p);
// „Geänderte schreiben“: the values that differ, after the confirmation, each read back.
void writeParameterSet(Program &p);

// The dialog, or null before it was first opened.
ParameterDialog *parameterDialog(const Program &p);
