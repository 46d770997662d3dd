#pragma once
// The command line ed1. What it shows is what is sent: pasted or dropped text has each
// control character (line breaks, tabs) turned into one blank, which is also what a line
// edit shows for them, and the characters Windows-1252 lacks are left out and named in a
// short notice beside the line instead of making the whole paste fail. Typing such a
// character is still simply refused, by the validator.

#include <QClipboard>
#include <QLineEdit>
#include <QStringList>

// Pasted text as the command line takes it.
struct PastedText {
    QString text;          // what goes into the line
    QStringList leftOut;   // the characters that were left out, each once, in order
};
PastedText cleanPastedText(const QString &pasted);

// "Nicht übertragbar, weggelassen: Ω ≠" for the left-out characters; one that would not
// be seen (a zero-width space, a lone accent) is named by its code, "U+200B".
QString leftOutNotice(const QStringList &leftOut);

class CommandLineEdit : public QLineEdit {
    Q_OBJECT
public:
    // How long the notice stays up.
    static constexpr int kNoticeMs = 4000;

    using QLineEdit::QLineEdit;

    // Inserts the clipboard's text at the cursor, cleaned as above; the notice, if any, is
    // a tool tip that neither blocks nor takes the focus.
    void pasteCleaned(QClipboard::Mode mode = QClipboard::Clipboard);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void showNotice(const QStringList &leftOut);
};
