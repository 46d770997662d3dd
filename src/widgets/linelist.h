// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One of the window's two lists: a LineView with the context menu's file entries (saving and
// the recording, with their dialogs), "Listen leeren" with its question, and the line
// inspector a double-click opens.

#include "widgets/lineview.h"

#include <QList>
#include <QPointer>

#include <functional>

class LineInspector;
class LineViewFileMenu;

class LineList : public LineView {
    Q_OBJECT
public:
    explicit LineList(QWidget *parent = nullptr);

    // "Speichern unter …" and the recording's entries („Mitschnitt öffnen …“ among them), with
    // their dialogs.
    LineViewFileMenu *fileMenu() const { return fileMenu_; }

    // "Listen leeren": asks whether to, then emits clearAsked(); whoever holds both lists
    // clears them (and marks a running recording).
    QAction *clearAction() const { return clearAction_; }
    void askToClear();
    // Asks a yes/no question; true for yes. Default: a box with "Ja" and "Nein", "Nein"
    // preselected. Replaceable, so that tests never open a modal window.
    using QuestionAsker = std::function<bool(QWidget *parent, const QString &title, const QString &question)>;
    void setClearAsker(QuestionAsker asker) { askClear_ = std::move(asker); }
    static const QString clearQuestion;

signals:
    void clearAsked();

private:
    void openInspector(int index);

    LineViewFileMenu *fileMenu_;
    QAction *clearAction_;
    QuestionAsker askClear_;
    // The inspectors opened on this list's lines: a clearing tells them.
    QList<QPointer<LineInspector>> inspectors_;
};
