#include "app/application.h"

#include "app/eventtable.h"
#include "app/startup.h"
#include "serial/systemports.h"
#include "ui/portsuggestions.h"

#include <QCoreApplication>
#include <ostream>

Application::Application()
    : box_(&window_), program_{window_, state_, channel_, pause_, box_, end_, burst_}
{
    connectEventTable(program_, filter_);
    QCoreApplication::installTranslator(&qtTexts_);
    // Owned by the port box.
    new PortSuggestions(window_.cbCOM, systemPorts);
}

void Application::start()
{
    // The frame is unknown until the window manager has framed the window; 0 then keeps
    // the inner area at its designed 5280 twips, which is what the height rule amounts to.
    const double frameTwips = 0.0;
    const double twipsPerPixel = 1440.0 / window_.logicalDpiY();
    state_.FrameAdjust = frameAdjustFor(frameTwips);
    // The controls sit at fixed places, so the window keeps the size the layout gives it.
    window_.setFixedSize(window_.width(), innerHeightPixels(frameTwips, twipsPerPixel));
    InitProgram(window_, state_);
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
