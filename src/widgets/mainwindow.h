// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window frm1: builds and holds the controls of the layout, nothing else. Behaviour
// lives in the window program's handlers, which reach each control by its name.

#include "widgets/captionlabel.h"
#include "widgets/commandlineedit.h"
#include "widgets/linelist.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMargins>
#include <QPushButton>
#include <QScrollArea>
#include <QSize>
#include <QWidget>

#include <memory>

class FindBar;
class QScreen;

namespace Ui {
class frm1;
}

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Gives the window its designed inner size, or, on a screen whose free area is smaller,
    // that area with the layout scrolling inside it. The free area is the screen's, less the
    // window's frame where the platform reports one; as a window manager reports it only once
    // the window is shown, the window fits itself again then (and on another screen).
    void fitToScreen(QSize designed);
    // The same within a given inner size.
    void fitInto(QSize designed, QSize available);

    // The controls sit at fixed places on `layoutArea`; `scroller` shows it whole at the
    // designed size and scrolls it when the window is smaller.
    QScrollArea *scroller() const { return scroller_; }
    QWidget *layoutArea() const { return layoutArea_; }

    // While a recording runs the title names its file, "RIX-TERM — Mitschnitt: /pfad/datei.txt";
    // an empty path gives the title back.
    void showRecordingFile(const QString &path);

    // The controls, by their names in the program.
    QGroupBox *fr1() const;
    QGroupBox *fr2() const;
    QGroupBox *fr3() const;
    QGroupBox *fr4() const;
    QFrame *tb1() const;
    QComboBox *cbCOM() const;
    QComboBox *cbbaud() const;
    QComboBox *cbAdr() const;
    QLabel *lbl1() const;
    QLabel *lbl2() const;
    QLabel *lbl3() const;
    QLabel *lblAdr() const;
    QPushButton *cmdEIN() const;
    QPushButton *cmdAUS() const;
    QPushButton *cmdEnde() const;
    QPushButton *cmdF0() const;
    QPushButton *cmdF1() const;
    QPushButton *cmdF2() const;
    QPushButton *cmdF3() const;
    QPushButton *cmdF4() const;
    QPushButton *cmdF5() const;
    QPushButton *cmdF6() const;
    CaptionLabel *lblF0() const;
    CaptionLabel *lblF1() const;
    CaptionLabel *lblF2() const;
    CaptionLabel *lblF3() const;
    CaptionLabel *lblF4() const;
    CaptionLabel *lblF5() const;
    CaptionLabel *lblF6() const;
    QPushButton *cmdschreiben() const;
    QPushButton *cmdVersion() const;
    QPushButton *cmdTR1() const;
    QPushButton *cmdTR2() const;
    QPushButton *cmd5Ton() const;
    QPushButton *cmdFMS() const;
    CommandLineEdit *ed1() const;
    QPushButton *cmdSendentx() const;
    LineList *lb2() const;
    LineList *lbrx() const;
    QLabel *lblRX1() const;
    QLabel *lblrx9() const;
    QLabel *lblrx6() const;
    QLabel *lblrx8() const;

    // The find bar ("Suchen …", Ctrl+F): not one of the window's controls; it floats over the
    // bottom row, between "Schreiben" and "Beenden", while it is open.
    FindBar *findBar() const { return findBar_; }

protected:
    bool event(QEvent *event) override;

private:
    void placeFindBar();
    void fitToFreeArea();
    void applyFit(QSize designed, QSize available);

    std::unique_ptr<Ui::frm1> ui_;
    QScrollArea *scroller_;
    QWidget *layoutArea_;
    // What fitToScreen() was given, and the frame and screen it last fitted to.
    QSize designed_;
    QMargins fittedFrame_;
    const QScreen *fittedScreen_ = nullptr;
    // The window shows the layout at its designed size: nothing scrolls.
    bool showsDesignedSize_ = true;
    FindBar *findBar_;
};
