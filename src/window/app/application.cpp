#include "window/app/application.h"

#include "unit/logging.h"
#include "unit/systemports.h"
#include "widgets/germantexts.h"
#include "widgets/portsuggestions.h"
#include "window/app/eventtable.h"
#include "window/app/startup.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWindow>
#include <ostream>

Application::Application(Seams seams)
    : qtBox_(&window_)
    , program_{window_,
               state_,
               seams.channel ? *seams.channel : qtChannel_,
               seams.pause ? *seams.pause : qtPause_,
               seams.box ? *seams.box : qtBox_,
               seams.end ? *seams.end : qtEnd_,
               receiver_,
               recording_}
{
    connectEventTable(program_, filter_);
    if (loadQtGermanTexts(qtTexts_))
        QCoreApplication::installTranslator(&qtTexts_);
    else
        qCWarning(lcApp) << "Qt's German texts (qtbase_de) not found; Qt's own dialogs stay English";
}

namespace {
// What the window may take of its screen: the area the desktop's panels leave free, less
// the frame where the platform already reports one.
QSize freeScreenArea(const QWidget &window, QSize designed)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return designed;
    QSize area = screen->availableGeometry().size();
    if (const QWindow *handle = window.windowHandle()) {
        const QMargins frame = handle->frameMargins();
        area -= QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    }
    return area;
}
} // namespace

void Application::prepare()
{
    const QSize designed(window_.layoutArea()->width(), innerHeightPixels(window_.logicalDpiY()));
    window_.fitInto(designed, freeScreenArea(window_, designed));
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
