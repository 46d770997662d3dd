// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// „Einheit suchen …“: the ports to search (the system's USB and ACM adapters to begin with;
// an on-board port only when typed in), the search's progress, and a table with a row per
// port: its rate, the unit's address digit and version, or why no unit is there. The dialog
// only shows and asks: the search and what a chosen row fills in are the window's
// (window/connection/findunit.*), which it asks with searchAsked and chooseAsked.

#include "unit/search/searchrules.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace search {
class UnitSearch;
}

class UnitSearchDialog : public QDialog {
    Q_OBJECT
public:
    enum Column { Port, Rate, Address, Version, ColumnCount };

    explicit UnitSearchDialog(QWidget *parent = nullptr);

    // The ports to search, separated by blanks.
    void setPorts(const QStringList &ports);
    QStringList ports() const;
    // The ports offered on opening: taken unless the user has typed ports of their own, which
    // the dialog keeps for the session.
    void offerPorts(const QStringList &ports);

    // Forgets the last search's rows and what was said of them: on reopening they may speak
    // of a window that has since disconnected or connected.
    void clearResults();

    // Whether the window is connected: then „Übernehmen“ reads „Trennen und übernehmen“, as
    // the window's boxes take a unit only once its connection is closed.
    void setWindowConnected(bool connected);
    // The window is disconnecting to take the chosen unit: nothing can be started meanwhile.
    void setDisconnecting(bool disconnecting);
    bool isDisconnecting() const { return disconnecting_; }

    // Shows the search's progress and each port's row as it is done; the buttons wait
    // until it has finished.
    void follow(search::UnitSearch *unitSearch);
    bool isSearching() const { return searching_; }

    // The current row's unit, when it is one that was found.
    std::optional<search::PortOutcome> chosenUnit() const;

    // A line under the table that says why nothing was taken, or what was found.
    void showStatus(const QString &text);

signals:
    void searchAsked();
    // „Übernehmen“ („Trennen und übernehmen“), Enter or a double-click on a found unit's row.
    void chooseAsked();

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void showOutcome(int row, const search::PortOutcome &outcome);
    void searchFinished();
    void updateButtons();
    void fitToScreen();
    void widenForColumns();

    QLineEdit *ports_;
    QTableWidget *table_;
    QProgressBar *progress_;
    QLabel *status_;
    QPushButton *searchButton_;
    QPushButton *chooseButton_;
    QPushButton *closeButton_;
    QList<search::PortOutcome> outcomes_;
    bool searching_ = false;
    bool portsTyped_ = false;
    bool disconnecting_ = false;
};
