// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/startoptions.h"

#include "widgets/mainwindow.h"
#include "window/app/commandline.h"
#include "window/app/dispatch.h"
#include "window/app/openrecording.h"
#include "window/connection/connection.h"
#include "window/program.h"
#include "window/recording/recordinghandlers.h"

#include <QTimer>

void applyStartOptions(Program &p, const StartOptions &options)
{
    MainWindow &w = p.w;
    if (!options.port.isEmpty())
        w.cbCOM()->setEditText(options.port);
    if (!options.baud.isEmpty())
        w.cbbaud()->setEditText(options.baud);
    if (!options.address.isEmpty())
        w.cbAdr()->setCurrentIndex(w.cbAdr()->findText(options.address));
    if (options.logFile.isEmpty() && !options.connect && options.openFiles.isEmpty())
        return;
    // In the event loop: a box then has its window, and a refused port's end ends the loop.
    QTimer::singleShot(0, &w, [&p, logFile = options.logFile, connect = options.connect, files = options.openFiles] {
        if (!logFile.isEmpty())
            dispatch(p, [logFile](Program &program) { recordingStart(program, logFile); });
        if (connect) {
            dispatch(p, cmdEIN_MouseDown);
            dispatch(p, cmdEIN_MouseUp);
        }
        for (const QString &file : files)
            dispatch(p, [file](Program &program) { openRecording(program, file); });
    });
}
