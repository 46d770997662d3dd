// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection state as the window shows it: which controls are enabled.

class MainWindow;

// Enables and disables every control whose state follows the connection, from one table.
// Connecting switches them in the table's order; disconnecting in the order of its own
// column: the disconnect button first, then the commands, the settings last.
void setConnected(MainWindow &w, bool connected);
