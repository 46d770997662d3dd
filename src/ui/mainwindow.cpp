#include "ui/mainwindow.h"

#include "ui/cp1252validator.h"
#include "ui/texttooltip.h"

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    tmr1.setObjectName(QStringLiteral("tmr1"));
    tmr1.setTimerType(Qt::PreciseTimer);
    tmr1.setInterval(kPollIntervalMs);
    // What is typed is what goes on the line: only characters with a Windows-1252 byte.
    ed1->setValidator(new Cp1252Validator(ed1));
    // The connection text outgrows its label with a long port path.
    new TextToolTip(lbl1);
    // "Speichern unter …" suggests a file name that says which list it came from.
    lb2->setSaveNameSuffix(QStringLiteral("befehle"));
    lbrx->setSaveNameSuffix(QStringLiteral("antworten"));
}
