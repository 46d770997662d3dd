// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line ed1. What it shows is what is sent: pasted or dropped text has each
// control character (line breaks, tabs) turned into one blank, which is also what a line
// edit shows for them, and the characters Windows-1252 lacks are left out instead of making
// the whole paste fail. A short notice beside the line says what changed: what was left out,
// what became blanks, and how much of a text too long for the line was cut off at its end.
// Typing such a character is still simply refused, by the validator.

#include <QClipboard>
#include <QLineEdit>
#include <QStringList>

// Pasted text as the command line takes it.
struct PastedText {
    QString text;          // what goes into the line
    QStringList leftOut;   // the characters that were left out, each once, in order
    int lineBreaks = 0;    // each turned into one blank; CR LF is one
    int tabs = 0;
    int otherControls = 0;
};
PastedText cleanPastedText(const QString &pasted);

// "Nicht übertragbar, weggelassen: Ω ≠" for the left-out characters; one that would not
// be seen (a zero-width space, a lone accent) is named by its code, "U+200B".
QString leftOutNotice(const QStringList &leftOut);

// The whole notice after a paste or a drop, one line for each kind of change, empty when the
// text went in unchanged: `cutOff` characters did not fit into the line's `maxLength`.
QString pasteNotice(const PastedText &pasted, qsizetype cutOff, int maxLength);

class CommandLineEdit : public QLineEdit {
    Q_OBJECT
public:
    // How long the notice stays up.
    static constexpr int noticeMs = 4000;

    using QLineEdit::QLineEdit;

    // Inserts the clipboard's text at the cursor, cleaned as above; the notice, if any, is
    // a tool tip that neither blocks nor takes the focus.
    void pasteCleaned(QClipboard::Mode mode = QClipboard::Clipboard);

    // The commands sent in this session, as a terminal keeps them: whoever sends the line's text
    // tells it here (typed or put in by a button alike), and Up and Down then walk them, oldest
    // first; Down past the newest gives back what was being typed. The same text twice in a row
    // is kept once; nothing is stored on disk.
    void rememberSent(const QString &text);
    const QStringList &sentCommands() const { return sent_; }
    // At most this many are kept, the oldest going first.
    static constexpr int sentKept = 1000;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Inserts the cleaned text as QLineEdit does (which stops at maxLength) and says what changed.
    void insertCleaned(const PastedText &pasted);
    void showNotice(const PastedText &pasted, qsizetype cutOff);
    // One step through the sent commands; false when there is none to go to.
    bool walkSent(bool older);

    QStringList sent_;
    // The entry shown while walking, or -1 when the line holds what the user typed.
    qsizetype walkAt_ = -1;
    QString typed_;
};
