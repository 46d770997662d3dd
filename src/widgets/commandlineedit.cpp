// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/commandlineedit.h"

#include "unit/cp1252.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
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

bool breaksLine(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B) || c == QChar(0x0C)
           || c == QChar(0x85) || c.category() == QChar::Separator_Line
           || c.category() == QChar::Separator_Paragraph;
}

// "1 Tabulator", "2 Tabulatoren"
QString counted(int n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(n == 1 ? one : many);
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
        if (c == QLatin1Char('\n') && i > 0 && pasted.at(i - 1) == QLatin1Char('\r')) {
            // CR LF is one line break (a Windows text's), already one blank.
        } else if (showsAsBlank(c)) {
            out.text += QLatin1Char(' ');
            if (c == QLatin1Char('\t'))
                ++out.tabs;
            else if (!breaksLine(c))
                ++out.otherControls;
            else
                ++out.lineBreaks;
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

QString pasteNotice(const PastedText &pasted, qsizetype cutOff, int maxLength)
{
    QStringList lines;
    if (cutOff > 0)
        lines << QStringLiteral("Zu lang: die letzten %1 Zeichen weggelassen (die Zeile fasst höchstens %2 Zeichen)")
                     .arg(cutOff)
                     .arg(maxLength);
    if (!pasted.leftOut.isEmpty())
        lines << leftOutNotice(pasted.leftOut);
    QStringList blanks;
    if (pasted.lineBreaks > 0)
        blanks << counted(pasted.lineBreaks, "Zeilenumbruch", "Zeilenumbrüche");
    if (pasted.tabs > 0)
        blanks << counted(pasted.tabs, "Tabulator", "Tabulatoren");
    if (pasted.otherControls > 0)
        blanks << counted(pasted.otherControls, "Steuerzeichen", "Steuerzeichen");
    if (!blanks.isEmpty())
        lines << QStringLiteral("Durch Leerzeichen ersetzt: ") + blanks.join(QStringLiteral(", "));
    return lines.join(QLatin1Char('\n'));
}

void CommandLineEdit::pasteCleaned(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString clip = QGuiApplication::clipboard()->text(mode);
    if (clip.isEmpty() && !hasSelectedText())
        return;
    insertCleaned(cleanPastedText(clip));
}

void CommandLineEdit::insertCleaned(const PastedText &pasted)
{
    const qsizetype kept = text().size() - selectedText().size();
    insert(pasted.text);
    showNotice(pasted, pasted.text.size() - (text().size() - kept));
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
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && event->modifiers() == Qt::NoModifier
        && !isReadOnly() && walkSent(event->key() == Qt::Key_Up)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CommandLineEdit::rememberSent(const QString &text)
{
    walkAt_ = -1;
    if (text.isEmpty() || (!sent_.isEmpty() && sent_.constLast() == text))
        return;
    if (sent_.size() == sentKept)
        sent_.removeFirst();
    sent_.append(text);
}

bool CommandLineEdit::walkSent(bool older)
{
    if (older) {
        if (sent_.isEmpty() || walkAt_ == 0)
            return false;
        if (walkAt_ < 0) {
            typed_ = text();
            walkAt_ = sent_.size();
        }
        setText(sent_.at(--walkAt_));
        return true;
    }
    if (walkAt_ < 0)
        return false;
    ++walkAt_;
    if (walkAt_ < sent_.size()) {
        setText(sent_.at(walkAt_));
    } else {
        walkAt_ = -1;
        setText(typed_);
    }
    return true;
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
    // Text moved within the line is already clean and keeps Qt's own move handling.
    if (isReadOnly() || event->source() == this) {
        QLineEdit::dropEvent(event);
        return;
    }
    const PastedText cleaned = cleanPastedText(dropped);
    // A drop goes in where it lands and replaces no selection.
    const qsizetype before = text().size();
    if (cleaned.text == dropped) {
        QLineEdit::dropEvent(event);
    } else {
        QMimeData replacement;
        replacement.setText(cleaned.text);
        QDropEvent cleanedDrop(event->position(), event->possibleActions(), &replacement, event->buttons(),
                               event->modifiers(), event->type());
        cleanedDrop.setDropAction(event->dropAction());
        QLineEdit::dropEvent(&cleanedDrop);
        event->setDropAction(cleanedDrop.dropAction());
        event->setAccepted(cleanedDrop.isAccepted());
    }
    if (event->isAccepted())
        showNotice(cleaned, cleaned.text.size() - (text().size() - before));
}

void CommandLineEdit::showNotice(const PastedText &pasted, qsizetype cutOff)
{
    const QString notice = pasteNotice(pasted, cutOff, maxLength());
    if (notice.isEmpty())
        return;
    QToolTip::showText(mapToGlobal(QPoint(0, height())), notice, this, QRect(), noticeMs);
}
