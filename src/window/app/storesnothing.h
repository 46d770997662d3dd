// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program stores nothing, but Qt's own dialogs would: the file dialog writes its history,
// its last folder and its view to ~/.config/QtProject.conf whenever it closes, even when
// cancelled, and a platform's native file dialog (GTK's, KDE's) keeps its own list of recent
// files. Run once at start-up, before any dialog opens, it covers every dialog the program
// will ever open.
void keepQtDialogsFromStoringAnything();
