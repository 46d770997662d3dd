#include "commands/writeandaddress.h"

#include "commands/presssequence.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"
#include "ui/parametertexts.h"

namespace {
// "$R", address digit, "P", "F" and the parameter digit: the value is typed behind them.
constexpr int kWriteCommandLength = 6;
} // namespace

QString toWriteCommand(const QString &commandLine)
{
    QString text = commandLine;
    if (text.size() >= 4)
        text[3] = QLatin1Char('P');
    return text;
}

void cmdVersion_MouseDown(Program &p)
{
    pressSequence(p, QStringLiteral("V"));
}

void cbAdr_MouseDown(Program &p)
{
    // Uses the digit of the last connect, not the box's current choice.
    SetParameterTexts(p.w, p.state.AddressDigit);
}

void cmdschreiben_MouseDown(Program &p)
{
    p.w.ed1->setText(toWriteCommand(p.w.ed1->text()));
}

void cmdschreiben_MouseUp(Program &p)
{
    QLineEdit *ed1 = p.w.ed1;
    ed1->setFocus(Qt::OtherFocusReason);
    ed1->setCursorPosition(kWriteCommandLength);   // Qt keeps it within the text
    ed1->deselect();
    ed1_MouseDown(p);
}

void ed1_MouseDown(Program &p)
{
    p.w.ed1->setFocus(Qt::MouseFocusReason);
    p.w.cmdschreiben->setEnabled(false);
}

void ed1_Click(Program &) {}
void ed1_KeyPress(Program &) {}
