#include "param/shownanswer.h"

#include "unit/receiveengine.h"

QByteArray shownAnswer(const QByteArray &burst, const QByteArray &command, const QString &baudText)
{
    ReceiveEngine engine;
    const QByteArray baud = baudText.toLatin1();
    const ReceiveEngine::Context context{std::string_view(command.constData(), std::size_t(command.size())),
                                         std::string_view(baud.constData(), std::size_t(baud.size())), 1};
    engine.commandWritten();
    ReceiveEngine::Shown shown = engine.add(std::string_view(burst.constData(), std::size_t(burst.size())), context);
    for (ReceiveEngine::Lines &last : engine.quiet(context))
        shown.push_back(std::move(last));
    // An answer long enough to be shown in pieces is no value; joined, it cannot pass for one.
    QByteArray answer;
    for (const ReceiveEngine::Lines &lines : shown)
        if (lines.answer)
            answer += QByteArray::fromStdString(*lines.answer);
    return answer;
}
