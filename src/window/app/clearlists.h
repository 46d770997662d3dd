// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Listen leeren", asked for (and answered) in either list's context menu: both lists start
// anew. The lists are cleared only when the user asks so; a running recording keeps every line
// it has and marks where the lists began anew.

struct Program;

void clearLists(Program &p);
