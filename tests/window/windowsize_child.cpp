// SPDX-License-Identifier: GPL-3.0-or-later
// Started by the test "WindowOnAScaledScreen" on the offscreen platform with a screen of its
// own and QT_SCALE_FACTOR: builds and shows the window as the program does, lets the platform
// frame it, and prints what a window manager sees, in device pixels (the window's size, its
// frame and its resize steps), and which scroll bars show, one "name width height" line each.
// Given "dialog", it opens „Parametersatz …“ over the window and prints the dialog's instead.
#include "support/controls.h"
#include "support/harness.h"
#include "unit/search/unitsearch.h"
#include "widgets/findbar.h"
#include "widgets/helpwindow.h"
#include "widgets/lineinspector.h"
#include "widgets/parameterdialog.h"
#include "widgets/unitsearchdialog.h"
#include "window/commands/parameterset.h"
#include "window/connection/findunit.h"
#include "window/qtseams.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <QScreen>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QWindow>
#include <qpa/qplatformscreen.h>
#include <qpa/qplatformwindow.h>

#include <functional>
#include <iostream>
#include <utility>

using testsupport::control;

namespace {
void print(const char *name, int width, int height)
{
    std::cout << name << ' ' << width << ' ' << height << '\n';
}
void settle()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The dialog in device pixels, and in its own pixels where its last control and the table's
// last column end.
int printDialog(Harness &h)
{
    showParameterSet(h.p);
    settle();
    ParameterDialog *d = parameterDialog(h.p);
    const QPlatformWindow *window = d->windowHandle()->handle();
    const QRect geometry = window->geometry();
    const QMargins frame = window->frameMargins();
    print("available", d->screen()->handle()->availableGeometry().width(), d->screen()->handle()->availableGeometry().height());
    print("window", geometry.width(), geometry.height());
    print("frame", frame.left() + frame.right(), frame.top() + frame.bottom());
    print("frameTopLeft", geometry.left() - frame.left(), geometry.top() - frame.top());
    const QRect close = control<QPushButton>(*d, "closeButton")->geometry();
    print("inner", d->width(), d->height());
    print("closeEnd", close.right() + 1, close.bottom() + 1);
    const auto *table = control<QTableWidget>(*d, "values");
    const int last = ParameterDialog::Differs;
    print("differsEnd", table->columnViewportPosition(last) + table->columnWidth(last), table->viewport()->width());
    return 0;
}

// Whether a top-level window lies wholly within its screen's free area, frame included, in
// device pixels as a window manager sees them.
void printFits(const char *name, QWidget &window)
{
    const QPlatformWindow *handle = window.windowHandle()->handle();
    const QRect frame = handle->geometry().marginsAdded(handle->frameMargins());
    const QRect free = window.screen()->handle()->availableGeometry();
    std::cout << "fits." << name << ' ' << free.contains(frame) << " 0\n";
}

// Each column of a table: its width, and what its widest cell (or header) needs.
void printColumns(const char *name, QTableWidget &table)
{
    for (int c = 0; c < table.columnCount(); ++c) {
        int need = table.horizontalHeader()->sectionSizeHint(c);
        const QFontMetrics metrics(table.font());
        // A cell's text and the room the style keeps on either side of it.
        const int margins = 2 * (table.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &table) + 1);
        for (int r = 0; r < table.rowCount(); ++r)
            if (const QTableWidgetItem *item = table.item(r, c))
                for (const QString &line : item->text().split(QLatin1Char('\n')))
                    need = std::max(need, metrics.horizontalAdvance(line) + margins);
        std::cout << "column." << name << '.' << c << ' ' << table.columnWidth(c) << ' ' << need << '\n';
    }
}

// A modal box the program opens: looked at once it is up, then closed.
void printModalBox(const char *name, const std::function<void()> &open)
{
    QTimer::singleShot(300, [name] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box) {
            std::cout << "fits." << name << " 0 1\n";
            return;
        }
        settle();
        printFits(name, *box);
        static_cast<QDialog *>(box)->reject();
    });
    open();
}

// Every window, dialog and box of the program on this screen, each with its table's columns.
int printEverything(Harness &h)
{
    printFits("window", h.w);

    // The find bar's word on hex 0D 0A: its room and what its lines need, and whether it
    // ends before the close button.
    FindBar *bar = h.w.findBar();
    bar->open();
    bar->hexBox()->setChecked(true);
    bar->textEdit()->setText(QStringLiteral("0D 0A"));
    settle();
    const QLabel *status = bar->status();
    const QRect room = status->contentsRect();
    const QRect needed = status->fontMetrics().boundingRect(QRect(0, 0, room.width(), 1000),
                                                            status->wordWrap() ? Qt::TextWordWrap : 0, status->text());
    print("findStatusWidth", room.width(), needed.width());
    print("findStatusHeight", room.height(), needed.height());
    print("findStatusBeforeClose", bar->findChild<QWidget *>(QStringLiteral("findClose"))->geometry().left(),
          status->geometry().right() + 1);
    print("findStatusSaysWhy", status->text().startsWith(QStringLiteral("Findet nichts:")), 1);
    bar->hide();

    showParameterSet(h.p);
    ParameterDialog *d = parameterDialog(h.p);
    const char *values[] = {"F011", "0A00", "1212", "0E28", "0E0E", "64C8", "1010"};
    for (int n = 0; n < 7; ++n) {
        d->setUnitValue(n, QString::fromLatin1(values[n]));
        d->setFileValue(n, QStringLiteral("C8C8"));
    }
    settle();
    printFits("parameterDialog", *d);
    printColumns("parameterDialog", *control<QTableWidget>(*d, "values"));
    // The question before a write: every parameter changed, each change in words.
    printModalBox("writeQuestion", [d, &values] {
        std::vector<PlannedWrite> plan;
        for (int n = 0; n < 7; ++n)
            plan.push_back(PlannedWrite{n, QString::fromLatin1(values[n]), QStringLiteral("C8C8")});
        d->confirmWrite(plan);
    });
    d->close();

    showUnitSearch(h.p);
    UnitSearchDialog *search = unitSearchDialog(h.p);
    search::Timing quick;
    quick.settleMs = 0;
    quick.answerWaitMs = 50;
    const QStringList ports = {QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
                               QStringLiteral("/dev/ttyUSB1")};
    search::UnitSearch unitSearch(ports, [&h, first = true]() mutable -> std::unique_ptr<SerialChannel> {
        auto channel = std::make_unique<FakeSerialChannel>(h.timeline);
        if (std::exchange(first, false)) {
            FakeSerialChannel *port = channel.get();
            port->beforeWrite = [port](const QByteArray &bytes) {
                if (bytes == "$RSV")
                    port->receive("7Vrix-sim 1.0 (simulierte RIX-Einheit)\r\n");
                else if (bytes == "$RSRF0")
                    port->receive("7RF07A00\r\n");
            };
        }
        return channel;
    }, quick);
    search->follow(&unitSearch);
    unitSearch.start();
    while (!unitSearch.isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle();
    printFits("unitSearch", *search);
    printColumns("unitSearch", *control<QTableWidget>(*search, "tblUnits"));
    search->close();

    // A line of control bytes, as wide as the inspector's rows get.
    // It deletes itself on closing.
    auto *inspector = new LineInspector(QByteArray(64, '\x1b'), 0, QStringLiteral("Antworten"), 0, &h.w);
    inspector->show();
    settle();
    printFits("inspector", *inspector);
    print("inspectorScroll", inspector->dumpView()->horizontalScrollBar()->maximum(), 0);
    inspector->close();

    showHandbook(&h.w, HandbookSection::Start);
    settle();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && qobject_cast<HelpWindow *>(top))
            printFits("help", *top);

    // The box of a refused connect at start, with its „Einheit suchen …“.
    QtMessageBox box(&h.w);
    printModalBox("refusedBox", [&box] {
        box.offerUnitSearch(QStringLiteral("Serielle Schnittstelle\r/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                                           "\rist nicht vorhanden, oder wird von \reiner anderen Anwendung benutzt!\r\r"
                                           "Programm neu starten!"),
                            QStringLiteral("no such port"));
    });
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication qtApp(argc, argv);
    Harness h;
    h.showWindow();
    // The frame is reported after the window is shown; the window fits itself to it then.
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (argc > 1 && QByteArray(argv[1]) == "dialog")
        return printDialog(h);
    if (argc > 1 && QByteArray(argv[1]) == "everything")
        return printEverything(h);

    const QRect available = h.w.screen()->handle()->availableGeometry();
    const QPlatformWindow *window = h.w.windowHandle()->handle();
    const QMargins frame = window->frameMargins();
    print("available", available.width(), available.height());
    print("window", window->geometry().width(), window->geometry().height());
    print("frame", frame.left() + frame.right(), frame.top() + frame.bottom());
    // The resize steps a window manager rounds a size to, and where they are counted from.
    print("base", window->windowBaseSize().width(), window->windowBaseSize().height());
    print("step", window->windowSizeIncrement().width(), window->windowSizeIncrement().height());
    print("bars", h.w.scroller()->horizontalScrollBar()->isVisible(), h.w.scroller()->verticalScrollBar()->isVisible());
    const QSize viewport = h.w.scroller()->viewport()->size();
    print("viewport", viewport.width(), viewport.height());
    print("layout", h.w.layoutArea()->width(), h.w.layoutArea()->height());

    // The find bar, open: how many controls it lies over where they show, and whether it lies
    // within the window.
    h.w.findBar()->open();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const QRect bar = h.w.findBar()->geometry();
    const QWidget *scrolled = h.w.scroller()->viewport();
    const QRect shown(scrolled->mapTo(&h.w, QPoint(0, 0)), scrolled->size());
    int covered = 0;
    for (const QWidget *control : h.w.layoutArea()->findChildren<QWidget *>())
        if (control->isVisible() && QRect(control->mapTo(&h.w, QPoint(0, 0)), control->size()).intersected(shown).intersects(bar))
            ++covered;
    print("findBar", covered, h.w.rect().contains(bar));
    return 0;
}
