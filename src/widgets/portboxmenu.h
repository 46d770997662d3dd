// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The port box's context menu: the text field's own entries, then `action` („Einheit
// suchen …“) below them.

class QAction;
class QComboBox;

void addPortBoxMenuAction(QComboBox *portBox, QAction *action);
