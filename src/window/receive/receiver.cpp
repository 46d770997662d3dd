// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/receive/receiver.h"

#include "unit/cp1252.h"
#include "unit/logging.h"
#include "widgets/linelist.h"
#include "widgets/mainwindow.h"
#include "window/program.h"
#include "window/programstate.h"
#include "window/receive/lamps.h"
#include "window/recording/recording.h"
#include "window/recording/recordinghandlers.h"

#include <QDateTime>

#include <iterator>
#include <string_view>

namespace {
// The command line, baud text and flag at the moment bytes are taken.
class Moment {
public:
    Moment(const Program &p, const QByteArray *shownAs, std::int16_t shownFlag)
        : commandLine_(shownAs ? *shownAs : encoded(p.w.ed1()->text()))
        , baudText_(p.state.BaudText.toUtf8())
        , flag_(shownAs ? shownFlag : p.state.ButtonCommandFlag)
    {
    }
    ReceiveEngine::Context context() const { return {view(commandLine_), view(baudText_), flag_}; }

private:
    static QByteArray encoded(const QString &text)
    {
        // ed1 accepts only Windows-1252 characters; the fallback keeps one byte per character.
        std::optional<QByteArray> bytes = cp1252::encode(text);
        return bytes ? *std::move(bytes) : text.toLatin1();
    }
    static std::string_view view(const QByteArray &bytes) { return {bytes.constData(), std::size_t(bytes.size())}; }
    QByteArray commandLine_;
    QByteArray baudText_;
    std::int16_t flag_;
};

QByteArray bytesOf(const std::string &text) { return QByteArray(text.data(), qsizetype(text.size())); }

void appendAndShow(LineView *list, const QByteArray &line, qint64 shownAt)
{
    list->addLine(line, shownAt);
    list->setCurrentLine(list->count() - 1);
}

void append(ReceiveEngine::Shown &to, ReceiveEngine::Shown more)
{
    std::move(more.begin(), more.end(), std::back_inserter(to));
}
} // namespace

std::chrono::steady_clock::time_point Receiver::now() const
{
    // The conversation's clock, by which the unit's pauses are measured.
    return p_->conversation.now();
}

std::int64_t Receiver::sinceMs(std::chrono::steady_clock::time_point t) const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(now() - t).count();
}

void Receiver::heard(const QByteArray &bytes)
{
    if (!showing_)
        return;
    // A text that begins now is first shown once a second from now on.
    if (!engine_.isOpen() && !engine_.awaitsContinuation() && !engine_.showsLineByLine())
        lastShownAt_ = now();
    const Moment moment(*p_, shownAs_ ? &shownAs_->commandLine : nullptr, shownAs_ ? shownAs_->flag : 0);
    ReceiveEngine::Shown shown = engine_.add({bytes.constData(), std::size_t(bytes.size())}, moment.context());
    // A unit that never pauses is shown at least this often, cut at its line ends.
    if (engine_.isOpen() && sinceMs(lastShownAt_) >= showEveryMs)
        append(shown, engine_.showToLastLineEnd());
    if (engine_.showsLineByLine() && sinceMs(lineByLineSince_) >= showEveryMs)
        engine_.endLineByLine();
    if (!shown.empty())
        lastShownAt_ = now();
    showLines(shown);
}

void Receiver::quiet()
{
    if (showing_)
        showLines(engine_.quiet());
}

void Receiver::cutting(std::int64_t sendingForMs)
{
    if (!showing_)
        return;
    // The unit goes on sending: the command goes at its line end.
    qCInfo(lcReceive).noquote() << QStringLiteral("the unit has sent for %1 ms without a pause; its text is cut at its line end for the command")
                                       .arg(sendingForMs);
    p_->recording.addMarker(QStringLiteral("Text der Einheit für einen Befehl am Zeilenende geteilt (keine Pause seit %1 ms)")
                                .arg(sendingForMs));
    showLines(engine_.cutForCommand());
    lastShownAt_ = now();
}

void Receiver::written(const QByteArray &bytes, Conversation::Wait wait)
{
    shownAs_ = std::exchange(nextShownAs_, std::nullopt);
    // A key leaves what the unit is sending as it is: its answer comes where it comes.
    if (wait == Conversation::Wait::Key) {
        engine_.keyWritten({bytes.constData(), std::size_t(bytes.size())});
        return;
    }
    // Into a running text, the unit's lines are shown one by one, whole; only the answer to
    // this command, known by what it says, is shown by the rules of an answer.
    engine_.commandWritten({bytes.constData(), std::size_t(bytes.size())});
    if (engine_.showsLineByLine())
        lineByLineSince_ = now();
}

void Receiver::showNextAs(const QByteArray &commandLine, std::int16_t flag)
{
    nextShownAs_ = Shown{commandLine, flag};
}

void Receiver::polled()
{
    ShowModemStatus(*p_);
}

void Receiver::opened()
{
    engine_.quiet();
    engine_.forgetKeys();
    showing_ = true;
}

void Receiver::closed()
{
    engine_.quiet();
    showing_ = false;
}

void Receiver::closingAfterCommand()
{
    // What was taken before the command goes out is shown; what comes after it is not.
    if (showing_)
        showLines(engine_.quiet());
    showing_ = false;
}

void Receiver::portClosing()
{
    engine_.quiet();
    showing_ = false;
}

void Receiver::stopReading()
{
    engine_.quiet();
    showing_ = p_->conversation.isOpen();
}

void Receiver::showLines(const ReceiveEngine::Shown &shown)
{
    if (shown.empty())
        return;
    // Each piece: one line in lb2, and one in lbrx unless its answer part is blank; a running
    // recording gets them with the same time, in its file before they can be painted.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const ReceiveEngine::Lines &lines : shown) {
        appendAndShow(p_->w.lb2(), bytesOf(lines.commandLine), now);
        if (lines.answer)
            appendAndShow(p_->w.lbrx(), bytesOf(*lines.answer), now);
    }
    recordShown(*p_, now, shown);
}
