#pragma once
// The press of every command button: polling off, flag 1, "$R" + address digit + the
// button's letters into the command line, and the command line sent.

#include <QString>

struct Program;

void pressSequence(Program &p, const QString &commandLetters);
