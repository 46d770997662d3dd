// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Handbuch in a window of the program's own: the installed Markdown (handbookfile.h) as Qt
// shows it, with its links and pictures, and no browser and no network. One window serves the
// whole program; F1 opens it at the section of the window F1 was pressed in. Keyboard: the
// arrow and page keys scroll, Tab goes from link to link and Enter follows one, Alt+Left (or
// „Zurück“) goes back, Esc closes.

#include <QMargins>
#include <QString>
#include <QWidget>

class HandbookBrowser;
class QPushButton;

// Where F1 opens the Handbuch.
enum class HandbookSection {
    Start,          // the main window: its beginning, with the contents
    ParameterSet,   // „Parametersatz …“
    UnitSearch,     // „Einheit suchen …“
    LineInspector,  // „Zeile untersuchen …“
    Recording,      // an opened recording
};

// Opens the program's one help window at `section` and brings it to the front. `asker` is the
// widget that asked. A modal dialog blocks every window but its own, so asked from one, the
// help window becomes the dialog's; asked from anywhere else, it is the main window's.
void showHandbook(QWidget *asker, HandbookSection section);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the Markdown `file` at the heading whose anchor is `anchor` (empty: its beginning);
    // a file that is not there is named instead.
    void open(const QString &file, const QString &anchor);

    // Opens within the free area of its screen, at any scale; after that it keeps the size and
    // place the user gives it.
    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;

private:
    void fitToScreen();

    HandbookBrowser *browser_;
    QPushButton *backButton_;
    QPushButton *contentsButton_;
    QPushButton *closeButton_;
    QString file_;
    bool shownOnce_ = false;
    bool frameKnown_ = false;   // the window manager's frame was known at a fit
    QMargins fittedFrame_;      // the frame the window last fitted itself to
};
