// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/unitsearchdialog.h"

#include "unit/search/unitsearch.h"
#include "widgets/controlname.h"
#include "widgets/helpwindow.h"
#include "widgets/screenfit.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr QSize designedSize(640, 360);
} // namespace

UnitSearchDialog::UnitSearchDialog(QWidget *parent)
    : QDialog(parent)
{
    named(this, "unitSearchDialog");
    setWindowTitle(QStringLiteral("Einheit suchen"));
    // Connecting while the search holds the ports would only find them busy.
    setWindowModality(Qt::ApplicationModal);

    ports_ = named(new QLineEdit(this), "edPorts");
    auto *portsLabel = new QLabel(QStringLiteral("&Schnittstellen:"), this);
    portsLabel->setBuddy(ports_);
    auto *hint = new QLabel(QStringLiteral("Gesucht wird nur an diesen Schnittstellen, mit 19200 und 4800 Baud; "
                                           "gefragt werden nur Version und Adresse (F0)."),
                            this);
    hint->setWordWrap(true);
    table_ = named(new QTableWidget(0, ColumnCount, this), "tblUnits");
    table_->setHorizontalHeaderLabels({QStringLiteral("Schnittstelle"), QStringLiteral("Baudrate"), QStringLiteral("Adresse"),
                                       QStringLiteral("Version oder Grund")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    table_->horizontalHeader()->setSectionResizeMode(Version, QHeaderView::Stretch);
    progress_ = named(new QProgressBar(this), "pbSearch");
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = named(new QLabel(this), "lblStatus");
    searchButton_ = named(new QPushButton(QStringLiteral("S&uchen"), this), "cmdSearch");
    chooseButton_ = named(new QPushButton(QStringLiteral("Ü&bernehmen"), this), "cmdChoose");
    closeButton_ = named(new QPushButton(QStringLiteral("S&chließen"), this), "cmdClose");
    setWindowConnected(false);

    auto *portsRow = new QHBoxLayout;
    portsRow->addWidget(portsLabel);
    portsRow->addWidget(ports_, 1);
    portsRow->addWidget(searchButton_);
    auto *endRow = new QHBoxLayout;
    endRow->addWidget(progress_, 1);
    endRow->addWidget(chooseButton_);
    endRow->addWidget(closeButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(portsRow);
    layout->addWidget(hint);
    layout->addWidget(table_, 1);
    layout->addWidget(status_);
    layout->addLayout(endRow);
    setTabOrder(ports_, searchButton_);
    setTabOrder(searchButton_, table_);
    setTabOrder(table_, chooseButton_);
    setTabOrder(chooseButton_, closeButton_);

    connect(searchButton_, &QPushButton::clicked, this, &UnitSearchDialog::searchAsked);
    connect(chooseButton_, &QPushButton::clicked, this, &UnitSearchDialog::chooseAsked);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (chosenUnit())
            emit chooseAsked();
    });
    connect(table_, &QTableWidget::currentCellChanged, this, &UnitSearchDialog::updateButtons);
    connect(ports_, &QLineEdit::textChanged, this, &UnitSearchDialog::updateButtons);
    connect(ports_, &QLineEdit::textEdited, this, [this] { portsTyped_ = true; });
    // Enter in the ports searches; elsewhere it takes the chosen unit.
    connect(ports_, &QLineEdit::returnPressed, this, [this] {
        if (searchButton_->isEnabled())
            emit searchAsked();
    });
    resize(designedSize);
    updateButtons();
    // F1: this dialog's section of the Handbuch.
    new QShortcut(QKeySequence::HelpContents, this, this, [this] { showHandbook(this, HandbookSection::UnitSearch); });
}

void UnitSearchDialog::setPorts(const QStringList &ports)
{
    ports_->setText(ports.join(QLatin1Char(' ')));
}

void UnitSearchDialog::offerPorts(const QStringList &ports)
{
    if (!portsTyped_)
        setPorts(ports);
}

void UnitSearchDialog::clearResults()
{
    if (searching_)
        return;
    outcomes_.clear();
    table_->setRowCount(0);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_->clear();
    updateButtons();
}

void UnitSearchDialog::setWindowConnected(bool connected)
{
    chooseButton_->setText(connected ? QStringLiteral("Trennen und ü&bernehmen") : QStringLiteral("Ü&bernehmen"));
    chooseButton_->setToolTip(connected ? QStringLiteral("Trennt das Fenster von seiner Einheit (wie „Trennen“) und trägt "
                                                         "dann Schnittstelle, Baudrate und Adresse der gewählten Einheit "
                                                         "ein; verbunden wird erst mit „Verbinden“.")
                                        : QStringLiteral("Trägt Schnittstelle, Baudrate und Adresse der gewählten Einheit "
                                                         "ins Fenster ein; verbunden wird erst mit „Verbinden“."));
}

void UnitSearchDialog::setDisconnecting(bool disconnecting)
{
    disconnecting_ = disconnecting;
    if (disconnecting)
        status_->setText(QStringLiteral("Trennen …"));
    updateButtons();
}

void UnitSearchDialog::reject()
{
    // The window's boxes are filled once its connection is closed, a moment from now.
    if (!disconnecting_)
        QDialog::reject();
}

QStringList UnitSearchDialog::ports() const
{
    static const QRegularExpression between(QStringLiteral("[\\s,;]+"));
    QStringList ports = ports_->text().split(between, Qt::SkipEmptyParts);
    ports.removeDuplicates();
    return ports;
}

void UnitSearchDialog::follow(search::UnitSearch *unitSearch)
{
    searching_ = true;
    outcomes_.clear();
    table_->setRowCount(0);
    const int count = unitSearch->portCount();
    table_->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        search::PortOutcome waiting = unitSearch->outcomes().at(row);
        outcomes_ << waiting;
        table_->setItem(row, Port, new QTableWidgetItem(waiting.port));
        for (int column = Rate; column < ColumnCount; ++column)
            table_->setItem(row, column, new QTableWidgetItem);
        table_->item(row, Version)->setText(QStringLiteral("wird gesucht …"));
    }
    progress_->setRange(0, std::max(count, 1));
    progress_->setValue(0);
    status_->setText(QStringLiteral("Suche an %1 Schnittstelle(n) …").arg(count));
    connect(unitSearch, &search::UnitSearch::portDone, this,
            [this, unitSearch](int index, const search::PortOutcome &outcome) {
                showOutcome(index, outcome);
                progress_->setValue(unitSearch->doneCount());
            });
    connect(unitSearch, &search::UnitSearch::finished, this, &UnitSearchDialog::searchFinished);
    updateButtons();
}

void UnitSearchDialog::showOutcome(int row, const search::PortOutcome &outcome)
{
    if (row < 0 || row >= outcomes_.size())
        return;
    outcomes_[row] = outcome;
    const bool found = outcome.kind == search::PortOutcome::Kind::Found;
    table_->item(row, Rate)->setText(found ? outcome.rate : QString());
    table_->item(row, Address)->setText(found && !outcome.address.isNull() ? QString(outcome.address) : QString());
    QString text;
    switch (outcome.kind) {
    case search::PortOutcome::Kind::Found:
        text = outcome.version + (outcome.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(outcome.reason));
        break;
    case search::PortOutcome::Kind::NoUnit: text = QStringLiteral("keine Einheit: ") + outcome.reason; break;
    case search::PortOutcome::Kind::Busy: text = QStringLiteral("belegt: ") + outcome.reason; break;
    case search::PortOutcome::Kind::Unusable: text = QStringLiteral("nicht nutzbar: ") + outcome.reason; break;
    }
    table_->item(row, Version)->setText(text);
    table_->item(row, Version)->setToolTip(search::outcomeLine(outcome));
}

void UnitSearchDialog::searchFinished()
{
    searching_ = false;
    int found = 0;
    int first = -1;
    for (int row = 0; row < outcomes_.size(); ++row) {
        if (outcomes_.at(row).kind == search::PortOutcome::Kind::Found) {
            ++found;
            if (first < 0)
                first = row;
        }
    }
    // Every column as wide as its widest cell, the last one too, for the dialog to grow to;
    // then the last one takes what room is left.
    table_->horizontalHeader()->setSectionResizeMode(Version, QHeaderView::Interactive);
    table_->resizeColumnsToContents();
    widenForColumns();
    table_->horizontalHeader()->setSectionResizeMode(Version, QHeaderView::Stretch);
    status_->setText(found == 0 ? QStringLiteral("Keine Einheit gefunden.")
                                : QStringLiteral("%1 Einheit(en) gefunden. Eine wählen und „%2“.")
                                      .arg(found)
                                      .arg(chooseButton_->text().remove(QLatin1Char('&'))));
    if (first >= 0) {
        table_->setCurrentCell(first, Port);
        table_->setFocus();
    }
    updateButtons();
}

std::optional<search::PortOutcome> UnitSearchDialog::chosenUnit() const
{
    const int row = table_->currentRow();
    if (searching_ || row < 0 || row >= outcomes_.size() || outcomes_.at(row).kind != search::PortOutcome::Kind::Found)
        return std::nullopt;
    return outcomes_.at(row);
}

void UnitSearchDialog::updateButtons()
{
    searchButton_->setEnabled(!searching_ && !disconnecting_ && !ports().isEmpty());
    ports_->setEnabled(!searching_ && !disconnecting_);
    const bool canChoose = !disconnecting_ && chosenUnit().has_value();
    chooseButton_->setEnabled(canChoose);
    closeButton_->setEnabled(!disconnecting_);
    chooseButton_->setDefault(canChoose);
    searchButton_->setDefault(!canChoose);
}

void UnitSearchDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen();
}

void UnitSearchDialog::fitToScreen()
{
    QScreen *onScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!onScreen)
        return;
    const QRect free = onScreen->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    const QSize area = freeInnerArea(free.size(), frame, onScreen->devicePixelRatio());
    resize(fittedWindowSize(size(), area, style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
    // Wholly within the free area, frame included.
    QRect placed = frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), free.left(), std::max(free.left(), free.right() - placed.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), free.top(), std::max(free.top(), free.bottom() - placed.height() + 1)));
    move(placed.topLeft());
}

void UnitSearchDialog::widenForColumns()
{
    // A long port name (/dev/serial/by-id/…) beside a long reason: the dialog grows until
    // every column shows its widest cell, as far as the screen has room; fitToScreen keeps
    // it within the free area.
    int needed = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < ColumnCount; ++column)
        needed += table_->columnWidth(column);
    const int wider = needed - table_->width();
    if (wider <= 0)
        return;
    resize(width() + wider, height());
    if (isVisible())
        fitToScreen();
}

void UnitSearchDialog::showStatus(const QString &text)
{
    status_->setText(text);
}
