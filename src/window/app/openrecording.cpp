// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/openrecording.h"

#include "widgets/mainwindow.h"
#include "widgets/recordingviewer.h"
#include "window/program.h"
#include "window/seams.h"

#include <QDir>

QString recordingNotOpenedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Der Mitschnitt „%1“ kann nicht geöffnet werden.\rGrund: %2").arg(QDir::toNativeSeparators(path), reason);
}

void openRecording(Program &p, const QString &path)
{
    // A window of its own that goes with the main window; it deletes itself when closed.
    auto *viewer = new RecordingViewer(path, &p.w);
    if (!viewer->open()) {
        const QString reason = viewer->errorText();
        delete viewer;
        p.box.show(recordingNotOpenedMessage(path, reason));
        return;
    }
    viewer->show();
}
