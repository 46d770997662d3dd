// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dialog's control found by its object name, as automation tools find it, so that a dialog
// need not hand its controls out for tests.

#include <QObject>
#include <QString>
#include <gtest/gtest.h>

namespace testsupport {

// The child of `parent` named `objectName` of type W; a missing one fails the test, naming it,
// and is nullptr.
template <class W>
W *control(const QObject &parent, const char *objectName)
{
    W *found = parent.findChild<W *>(QLatin1String(objectName));
    if (!found)
        ADD_FAILURE() << "no control named \"" << objectName << "\" of the wanted type in \""
                      << parent.objectName().toStdString() << '"';
    return found;
}

} // namespace testsupport
