#include "ui/commandlineedit.h"

#include "shared/cp1252.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QToolTip>

namespace {
// A line edit shows each of these as a blank (or not at all); on the line they would be
// bytes the user never saw.
bool showsAsBlank(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
           || c.category() == QChar::Separator_Paragraph;
}

bool invisibleAlone(const QString &character)
{
    switch (QChar::category(character.toUcs4().value(0))) {
    case QChar::Other_Format:
    case QChar::Separator_Space:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}
} // namespace

PastedText cleanPastedText(const QString &pasted)
{
    PastedText out;
    out.text.reserve(pasted.size());
    for (qsizetype i = 0; i < pasted.size(); ++i) {
        const QChar c = pasted.at(i);
        if (showsAsBlank(c)) {
            out.text += QLatin1Char(' ');
        } else if (cp1252::canEncode(c)) {
            out.text += c;
        } else {
            // A character beyond the first 65536 is two UTF-16 units and is left out whole.
            QString lacking(c);
            if (c.isHighSurrogate() && i + 1 < pasted.size() && pasted.at(i + 1).isLowSurrogate())
                lacking += pasted.at(++i);
            if (!out.leftOut.contains(lacking))
                out.leftOut.append(lacking);
        }
    }
    return out;
}

QString leftOutNotice(const QStringList &leftOut)
{
    QStringList named;
    for (const QString &character : leftOut)
        named.append(invisibleAlone(character)
                         ? QStringLiteral("U+%1").arg(character.toUcs4().value(0), 4, 16, QLatin1Char('0')).toUpper()
                         : character);
    return QStringLiteral("Nicht übertragbar, weggelassen: ") + named.join(QLatin1Char(' '));
}

void CommandLineEdit::pasteCleaned(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (clip.isEmpty() && !hasSelectedText())
        return;
    const PastedText pasted = cleanPastedText(clip);
    insert(pasted.text);
    showNotice(pasted.leftOut);
}

void CommandLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Paste && !isReadOnly()) {
        // On X11, Ctrl+Shift+Insert pastes the selection, as it does in every line edit there.
        const bool selection = event->key() == Qt::Key_Insert
                               && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)
                               && QGuiApplication::clipboard()->supportsSelection();
        pasteCleaned(selection ? QClipboard::Selection : QClipboard::Clipboard);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CommandLineEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection where the system has one (X11).
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteCleaned(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CommandLineEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The paste entry is the one wired to QLineEdit::paste: its text is translated and
    // Qt 6.4 gives it no object name. Qt 6.4 wires it by name, later versions by pointer.
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))
            || disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            connect(action, &QAction::triggered, this, [this] { pasteCleaned(); });
    }
    menu->popup(event->globalPos());
}

void CommandLineEdit::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    const QString dropped = data && data->hasText() ? data->text() : QString();
    const PastedText cleaned = cleanPastedText(dropped);
    // Text moved within the line is already clean and keeps Qt's own move handling.
    if (isReadOnly() || cleaned.text == dropped) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData replacement;
    replacement.setText(cleaned.text);
    QDropEvent cleanedDrop(event->position(), event->possibleActions(), &replacement, event->buttons(),
                           event->modifiers(), event->type());
    cleanedDrop.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&cleanedDrop);
    event->setDropAction(cleanedDrop.dropAction());
    event->setAccepted(cleanedDrop.isAccepted());
    showNotice(cleaned.leftOut);
}

void CommandLineEdit::showNotice(const QStringList &leftOut)
{
    if (leftOut.isEmpty())
        return;
    QToolTip::showText(mapToGlobal(QPoint(0, height())), leftOutNotice(leftOut), this, QRect(), kNoticeMs);
}
