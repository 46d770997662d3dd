#include "app/application.h"

#include "app/eventtable.h"
#include "app/startup.h"
#include "serial/systemports.h"
#include "shared/logging.h"
#include "ui/germantexts.h"
#include "ui/portsuggestions.h"

#include <QCoreApplication>
#include <ostream>

Application::Application(Seams seams)
    : qtBox_(&window_)
    , program_{window_,
               state_,
               seams.channel ? *seams.channel : qtChannel_,
               seams.pause ? *seams.pause : qtPause_,
               seams.box ? *seams.box : qtBox_,
               seams.end ? *seams.end : qtEnd_,
               burst_}
{
    connectEventTable(program_, filter_);
    if (loadQtGermanTexts(qtTexts_))
        QCoreApplication::installTranslator(&qtTexts_);
    else
        qCWarning(lcApp) << "Qt's German texts (qtbase_de) not found; Qt's own dialogs stay English";
}

void Application::prepare()
{
    // The frame is unknown until the window manager has framed the window; 0 then keeps
    // the inner area at its designed 5280 twips, which is what the height rule amounts to.
    const double frameTwips = 0.0;
    const double twipsPerPixel = 1440.0 / window_.logicalDpiY();
    // The controls sit at fixed places, so the window keeps the size the layout gives it.
    window_.setFixedSize(window_.width(), innerHeightPixels(frameTwips, twipsPerPixel));
    InitProgram(window_, state_);
}

void Application::start()
{
    prepare();
    // The system's ports are the outside world: only the program that is shown to a user
    // reads them. Owned by the port box.
    new PortSuggestions(window_.cbCOM, systemPorts);
    window_.show();
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
