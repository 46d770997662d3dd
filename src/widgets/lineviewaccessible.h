// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Presents every LineView to screen readers as a list of its lines (see accessiblelines).

#include <QAccessibleInterface>
#include <QString>

class QObject;

// The factory for QAccessible::installFactory.
QAccessibleInterface *lineViewAccessibleFactory(const QString &className, QObject *object);
// Registers that factory. Call it before the first LineView is made: Qt caches the interface it
// gives a widget first. Qt keeps a factory only once, so calling it again is harmless.
void installLineViewAccessibility();
