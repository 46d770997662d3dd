#include "receive/polling.h"

#include "receive/burst.h"
#include "receive/lamps.h"
#include "serial/serialchannel.h"
#include "shared/cp1252.h"
#include "shared/program.h"
#include "shared/programstate.h"
#include "ui/mainwindow.h"

namespace {
// Reads one burst: until the first empty read, or until a limit cuts it. Returns whether
// it was cut, i.e. whether more is waiting.
bool readBurst(SerialChannel &channel, char first, QByteArray &burst)
{
    burst.clear();
    burst.append(first);
    const auto deadline = std::chrono::steady_clock::now() + kBurstTimeLimit;
    int bytesRead = 1;
    while (bytesRead < kBurstByteLimit) {
        // Checked at every byte: a unit may trickle bytes just under the quiet time.
        if (std::chrono::steady_clock::now() >= deadline)
            return true;
        const auto c = channel.readChar();
        if (!c)
            return false;
        ++bytesRead;
        appendToBurst(burst, *c);
    }
    return true;
}

void appendAndShow(LineView *list, const QByteArray &line)
{
    list->addLine(line);
    list->setCurrentLine(list->count() - 1);
}
} // namespace

void tmr1_Timer(Program &p)
{
    PollReceive(p);
}

void PollReceive(Program &p)
{
    MainWindow &w = p.w;
    w.tmr1.stop();
    bool cut = false;
    if (const auto first = p.channel.readChar()) {
        cut = readBurst(p.channel, *first, p.state.ReceivedText);
        const QString commandLine = w.ed1->text();
        const BurstLines lines =
            processBurst(p.state.ReceivedText, commandLine, p.state.BaudText, p.state.ButtonCommandFlag);
        p.state.DisplayStart = lines.displayStart;
        appendAndShow(w.lb2, cp1252::encode(commandLine).value_or(commandLine.toLatin1()));
        if (lines.answer)
            appendAndShow(w.lbrx, *lines.answer);
    }
    ShowModemStatus(p);
    // Interval 0 after a cut: the rest follows as soon as the window has had its turn.
    w.tmr1.setInterval(cut ? 0 : MainWindow::kPollIntervalMs);
    w.tmr1.start();
}
