// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One of the window's two lists: a LineView with the context menu's file entries (saving and
// the recording, with their dialogs) and the line inspector a double-click opens.

#include "widgets/lineview.h"

class LineViewFileMenu;

class LineList : public LineView {
    Q_OBJECT
public:
    explicit LineList(QWidget *parent = nullptr);

    // "Speichern unter …" and the recording's entries, with their dialogs.
    LineViewFileMenu *fileMenu() const { return fileMenu_; }

private:
    void openInspector(int index);

    LineViewFileMenu *fileMenu_;
};
