// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app/eventtable.h"

#include "unit/conversation/conversation.h"
#include "widgets/helpwindow.h"
#include "widgets/lineviewfilemenu.h"
#include "widgets/mainwindow.h"
#include "widgets/mousefilter.h"
#include "widgets/portboxmenu.h"
#include "window/app/clearlists.h"
#include "window/app/dispatch.h"
#include "window/app/openrecording.h"
#include "window/app/quit.h"
#include "window/commands/keysandtestcalls.h"
#include "window/commands/parameterbuttons.h"
#include "window/commands/parameterset.h"
#include "window/commands/writeandaddress.h"
#include "window/connection/connection.h"
#include "window/connection/findunit.h"
#include "window/connection/sending.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/lamps.h"
#include "window/receive/polling.h"
#include "window/receive/receiver.h"
#include "window/recording/recording.h"
#include "window/recording/recordinghandlers.h"

#include <QAction>
#include <QLineEdit>
#include <QShortcut>

namespace {
// The events the window handles without doing anything. They are registered all the same:
// a registered press arms its control for the mouse semantics.
void nothing(Program &) {}
} // namespace

void connectEventTable(Program &p, MouseFilter &f)
{
    MainWindow &w = p.w;
    // Writes nothing: runs at once, whatever the unit is sending.
    const auto run = [&p](Handler handler) { return [&p, handler] { dispatch(p, handler); }; };
    // Writes a command: after the unit's pause, and nothing once the line is gone.
    const auto send = [&p](Handler handler) { return [&p, handler] { dispatch(p, handler, Line::Writes); }; };
    // A key's press or release: the unit keys its transmitter with it, so within 25 ms.
    const auto key = [&p](Handler handler) { return [&p, handler] { dispatch(p, handler, Line::Key); }; };
    // The disconnect's press writes nothing, but a press from before a loss must not switch a
    // window that has connected again to disconnected over an open port.
    const auto needsLine = [&p](Handler handler) { return [&p, handler] { dispatch(p, handler, Line::Needed); }; };

    f.onMouseDown(w.cbAdr(), run(cbAdr_MouseDown));
    f.onMouseUp(w.cbAdr(), run(cbAdr_MouseDown));
    f.onKeyPress(w.cbbaud(), run(nothing));
    f.onMouseDown(w.cbbaud(), run(nothing));
    f.onMouseDown(w.cbCOM(), run(nothing));
    f.onMouseDown(w.cmd5Ton(), send(cmd5Ton_MouseDown));
    f.onMouseUp(w.cmd5Ton(), run(nothing));
    f.onMouseDown(w.cmdAUS(), needsLine(cmdAUS_MouseDown));
    f.onMouseUp(w.cmdAUS(), send(cmdAUS_MouseUp));
    f.onMouseDown(w.cmdEIN(), run(cmdEIN_MouseDown));
    f.onMouseUp(w.cmdEIN(), run(cmdEIN_MouseUp));
    f.onMouseDown(w.cmdEnde(), send(cmdEnde_MouseDown));
    f.onMouseUp(w.cmdEnde(), run(cmdEnde_MouseUp));
    f.onMouseDown(w.cmdF0(), send(cmdF0_MouseDown));
    f.onMouseDown(w.cmdF1(), send(cmdF1_MouseDown));
    f.onMouseDown(w.cmdF2(), send(cmdF2_MouseDown));
    f.onMouseDown(w.cmdF3(), send(cmdF3_MouseDown));
    f.onMouseDown(w.cmdF4(), send(cmdF4_MouseDown));
    f.onMouseDown(w.cmdF5(), send(cmdF5_MouseDown));
    f.onMouseDown(w.cmdF6(), send(cmdF6_MouseDown));
    for (QWidget *button : {w.cmdF0(), w.cmdF1(), w.cmdF2(), w.cmdF3(), w.cmdF4(), w.cmdF5(), w.cmdF6()})
        f.onMouseUp(button, run(cmdF_MouseUp));
    f.onMouseDown(w.cmdFMS(), send(cmdFMS_MouseDown));
    f.onMouseUp(w.cmdFMS(), run(nothing));
    f.onMouseDown(w.cmdschreiben(), run(cmdschreiben_MouseDown));
    f.onMouseUp(w.cmdschreiben(), run(cmdschreiben_MouseUp));
    f.onMouseDown(w.cmdSendentx(), send(cmdSendentx_MouseDown));
    // Enter in the command line is a press of „Senden“: the same handler, nothing while the
    // button is off (not connected), nor while a key is held, whose release must not wait
    // behind a send's pause.
    QObject::connect(w.ed1(), &QLineEdit::returnPressed, &w, [&p, sendPressed = send(cmdSendentx_MouseDown)] {
        if (p.w.cmdSendentx()->isEnabled() && !p.state.keyHeld)
            sendPressed();
    });
    // A recording's failure that came while the key was held is reported once it is let go.
    const auto releaseThenReport = [&p, key](Handler handler) {
        return [&p, released = key(handler)] {
            released();
            dispatchReceive(p, recordingFailed);
        };
    };
    f.onMouseDown(w.cmdTR1(), key(cmdTR1_MouseDown));
    f.onMouseUp(w.cmdTR1(), releaseThenReport(cmdTR_MouseUp));
    f.onMouseDown(w.cmdTR2(), key(cmdTR2_MouseDown));
    f.onMouseUp(w.cmdTR2(), releaseThenReport(cmdTR_MouseUp));
    f.onMouseDown(w.cmdVersion(), send(cmdVersion_MouseDown));
    f.onClick(w.ed1(), run(ed1_Click));
    f.onKeyPress(w.ed1(), run(ed1_KeyPress));
    f.onMouseDown(w.ed1(), run(ed1_MouseDown));
    f.onMouseDown(w.lblRX1(), run(lblRX1_MouseDown));
    f.onMouseDown(w.lblrx6(), run(lblrx6_MouseDown));
    f.onMouseDown(w.lblrx8(), run(lblrx8_MouseDown));
    f.onMouseDown(w.lblrx9(), run(lblrx9_MouseDown));
    const auto receive = [&p](Handler handler) { return [&p, handler] { dispatchReceive(p, handler); }; };
    QObject::connect(&p.conversation.pollTimer(), &QTimer::timeout, &w, receive(tmr1_Timer));
    // Texts are shown under the command line's text again once it is changed.
    QObject::connect(w.ed1(), &QLineEdit::textChanged, &w, [&p] { p.receiver.commandLineChanged(); });
    // The recording: both lists' menus, a failure's report, the flush to the disk.
    for (LineList *list : {w.lb2(), w.lbrx()}) {
        QObject::connect(list->fileMenu(), &LineViewFileMenu::recordingFileChosen, &w, [&p](const QString &path) {
            dispatch(p, [path](Program &program) { recordingStart(program, path); });
        });
        QObject::connect(list->fileMenu(), &LineViewFileMenu::recordingStopAsked, &w, run(recordingStop));
        // „Mitschnitt öffnen …“: a window of its own; the line and the recording go on.
        QObject::connect(list->fileMenu(), &LineViewFileMenu::recordingOpenAsked, &w, [&p](const QString &path) {
            dispatch(p, [path](Program &program) { openRecording(program, path); });
        });
        QObject::connect(list, &LineView::parameterSetAsked, &w, run(showParameterSet));
        QObject::connect(list, &LineList::clearAsked, &w, run(clearLists));
    }
    // „Parametersatz …“ also from the keyboard, wherever the focus is in the window.
    auto *parameterSetKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &w);
    QObject::connect(parameterSetKey, &QShortcut::activated, &w, run(showParameterSet));
    // „Einheit suchen …“: from the port box's menu and both lists' menus, once the menu is closed.
    auto *findUnit = new QAction(QStringLiteral("Einheit suchen …"), &w);
    findUnit->setObjectName(QStringLiteral("actFindUnit"));
    addPortBoxMenuAction(w.cbCOM(), findUnit);
    for (LineList *list : {w.lb2(), w.lbrx()})
        list->addMenuAction(LineView::MenuGroup::Unit, findUnit);
    QObject::connect(findUnit, &QAction::triggered, &w, run(showUnitSearch), Qt::QueuedConnection);
    // The Handbuch: F1 anywhere in the window, and „Hilfe“ in both lists' menus. It writes nothing.
    const auto handbook = run([](Program &program) { showHandbook(&program.w, HandbookSection::Start); });
    auto *helpKey = new QShortcut(QKeySequence::HelpContents, &w);
    QObject::connect(helpKey, &QShortcut::activated, &w, handbook);
    for (LineList *list : {w.lb2(), w.lbrx()})
        QObject::connect(list, &LineView::helpAsked, &w, handbook);
    p.recording.onFailure(receive(recordingFailed));
    QObject::connect(&p.recording.syncTimer(), &QTimer::timeout, &w, receive(recordingSyncDue));
}
