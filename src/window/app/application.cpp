// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/application.h"

#include "unit/logging.h"
#include "unit/line/systemports.h"
#include "widgets/germantexts.h"
#include "widgets/portsuggestions.h"
#include "window/app/eventtable.h"
#include "window/app/startup.h"
#include "window/app/storesnothing.h"
#include "window/recording/recordinghandlers.h"

#include <QCoreApplication>
#include <ostream>

Application::Application(Seams seams)
    : qtBox_(&window_)
    , channel_(seams.channel ? *seams.channel : qtChannel_, recording_)
    , conversation_(channel_, seams.pause)
    , program_{window_,
               state_,
               conversation_,
               seams.box ? *seams.box : qtBox_,
               seams.end ? *seams.end : qtEnd_,
               receiver_,
               recording_,
               actions_}
{
    actions_.attach(program_);
    receiver_.attach(program_);
    conversation_.setListener(&receiver_);
    conversation_.setPollInterval(Receiver::pollIntervalMs);
    // The conversation's own steps (the port's bytes, its timers) are the receive path's
    // events: a failure there is reported as one.
    conversation_.setGuard([this](const std::function<void()> &step) {
        dispatchReceive(program_, [&step](Program &) { step(); });
    });
    keepQtDialogsFromStoringAnything();
    connectEventTable(program_, filter_);
    if (loadQtGermanTexts(qtTexts_))
        QCoreApplication::installTranslator(&qtTexts_);
    else
        qCWarning(lcApp) << "Qt's German texts (qtbase_de) not found; Qt's own dialogs stay English";
}

void Application::prepare()
{
    const QSize designed(window_.layoutArea()->width(), innerHeightPixels(window_.logicalDpiY()));
    window_.fitToScreen(designed);
    InitProgram(window_, state_);
}

void Application::start()
{
    prepare();
    // The system's ports are the outside world: only the program that is shown to a user
    // reads them. Owned by the port box.
    new PortSuggestions(window_.cbCOM(), systemPorts);
    window_.show();
}

QString Application::endRecording()
{
    return recordEndedWithProgram(program_);
}

int startOrReport(const std::function<void()> &startup, std::ostream &err)
{
    try {
        startup();
        return 0;
    } catch (const std::exception &e) {
        err << "rix-term: Start fehlgeschlagen: " << e.what() << '\n';
    } catch (...) {
        err << "rix-term: Start fehlgeschlagen\n";
    }
    return 1;
}
