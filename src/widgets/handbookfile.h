// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the Handbuch (docs/handbuch.md) is on this machine. The package installs it with its
// pictures into the documentation folder beside the programs (/usr/share/doc/rix-term for
// /usr/bin/rix-term), found from the program's own folder, so any install prefix works; a
// program run from its build finds it in the source tree it was built from.

#include <QString>

// The Handbuch for a program in `programFolder`: the installed one where it is there, else
// the source tree's; where neither is, the installed path, so that a message can name it.
QString handbookFile(const QString &programFolder);
