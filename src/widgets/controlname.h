// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dialog's control is known by its name to tests and automation tools alike, and a screen
// reader says the same name.

#include <QLatin1String>

template <typename Control>
Control *named(Control *control, const char *name)
{
    control->setObjectName(QLatin1String(name));
    control->setAccessibleDescription(control->objectName());
    return control;
}
